#include "toolkit/VstguiTypes.h"

int FontSize(CFont font) {
    static constexpr int kSizes[kNumStandardFonts] = {12, 18, 14, 12, 11, 10, 9, 13};
    return font >= 0 && font < kNumStandardFonts ? kSizes[font] : 12;
}
