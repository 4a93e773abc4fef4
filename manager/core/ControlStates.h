#pragma once
// Which controls of the dialog and its pages are enabled, from the combined values alone. The dialog applies
// the result to its controls; the ids are those of the dialog's forms.
#include <cstdint>

namespace qv {

class ControlStates {
public:
    struct Inputs {
        bool hasBase = false;
        std::uint32_t baseSiteId = 0;
        std::int32_t enableDisable = 0; // combined values: 0, 1 or 2 (varies)
        std::int32_t logging = 0;
        std::int32_t dyn404 = 0;
        std::int32_t sendErrorImage = 0;
        int selectedSiteCount = 0;
    };

    static ControlStates For(const Inputs& inputs);

    bool enableBox = false;        // 1004
    bool errorDirectory = false;   // 1012, 1001, 1085, 1009, 1010
    bool errorFiles = false;       // 1067, 1068, 1050, 1014
    bool dynamicConfigure = false; // 1069
    bool imageConfigure = false;   // 1015
    bool rules = false;            // 1060, 1055, 1091, 1092, 1093, 1089, 1090
    bool loggingBox = false;       // 1047
    bool loggingDetails = false;   // 1048, 1076, 1051, 1049
    bool viewVisible = true;       // 1051 shown

    bool operator==(const ControlStates&) const = default;
};

} // namespace qv
