// rules.qv: the rules of the bytes are numbered 1, 2, 3...; each rule's target is its parts joined again;
// literal parts are never empty nor next to each other; LoadRules over a file of the bytes counts as many
// rules as the parse of the bytes.
#include "FuzzCheck.h"
#include "FuzzTempFile.h"
#include "settings/RulesReader.h"
#include "settings/SiteSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::string Joined(const qv::RedirectRule& rule) {
    std::string text;
    for (const qv::RulePart& part : rule.parts)
        text += part.kind == 0 ? part.text : std::string{'$', static_cast<char>(part.kind)};
    return text;
}

void CheckParts(const qv::RedirectRule& rule) {
    for (std::size_t i = 0; i < rule.parts.size(); ++i) {
        const qv::RulePart& part = rule.parts[i];
        QV_FUZZ_CHECK(part.kind == 0 || std::string_view("PUQR").find(static_cast<char>(part.kind)) !=
                                            std::string_view::npos,
                      "a token of another letter");
        QV_FUZZ_CHECK(part.kind != 0 || !part.text.empty(), "an empty literal part");
        QV_FUZZ_CHECK(part.kind == 0 || part.text.empty(), "a token part with text");
        QV_FUZZ_CHECK(i == 0 || part.kind != 0 || rule.parts[i - 1].kind != 0, "two literal parts in a row");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qv::fuzz::FuzzTempFile file(qv::kRulesFileName);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The bytes as one target.
    qv::RedirectRule target;
    qv::ParseTarget(target, bytes);
    CheckParts(target);
    QV_FUZZ_CHECK(Joined(target) == bytes, "a target's parts do not give it back");

    const std::vector<qv::RedirectRule> rules = qv::ParseRules(bytes);
    for (std::size_t i = 0; i < rules.size(); ++i) {
        QV_FUZZ_CHECK(rules[i].index == static_cast<std::uint16_t>(i + 1), "rules not numbered in order");
        QV_FUZZ_CHECK(rules[i].permanent <= 1, "a permanent flag other than 0 or 1");
        CheckParts(rules[i]);
        QV_FUZZ_CHECK(bytes.find(rules[i].source) != std::string_view::npos, "a source not in the file");
        QV_FUZZ_CHECK(bytes.find(Joined(rules[i])) != std::string_view::npos, "a target not in the file");
    }

    if (size == 0)
        return 0;
    file.Write(bytes);
    qv::SiteSettings record;
    record.siteRoot = file.Directory();
    QV_FUZZ_CHECK(qv::LoadRules(&record) == rules.size(), "LoadRules counts other rules than the parse");
    QV_FUZZ_CHECK(record.rules.size() == rules.size(), "LoadRules keeps other rules than it counts");
    return 0;
}
