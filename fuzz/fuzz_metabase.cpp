// MetaBase.xml: reading the same bytes twice gives the same answer and the same keys; a refusal names the
// file; every key read is found again by its own path and lies within the depth a reader allows.
#include "FuzzCheck.h"
#include "FuzzModelChecks.h"
#include "webserver/MetabaseModel.h"
#include "webserver/file/MetabaseFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qv::MetabaseModel first;
    qv::MetabaseModel second;
    std::string firstError = "left over";
    std::string secondError;
    const bool read = qv::MetabaseFile::Parse(text, "MetaBase.xml", first, &firstError);
    QV_FUZZ_CHECK(read == qv::MetabaseFile::Parse(text, "MetaBase.xml", second, &secondError),
                  "two reads disagree");
    QV_FUZZ_CHECK(firstError == secondError, "two reads give different messages");
    QV_FUZZ_CHECK(read == firstError.empty(), "a refusal without a message, or a message without one");
    if (!read) {
        QV_FUZZ_CHECK(firstError.rfind("MetaBase.xml:", 0) == 0, "a message that does not name the file");
        return 0;
    }
    QV_FUZZ_CHECK(qv::fuzz::SameKeys(first, second), "two reads give different keys");
    qv::fuzz::CheckKeys(first);
    return 0;
}
