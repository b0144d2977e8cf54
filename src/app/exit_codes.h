#pragma once

#include "controller/dfu_state.h"

namespace zeltor {

// The program's exit codes, whatever front end ran it.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitCannotStart = 2;
inline constexpr int kExitStoppedByUser = 130;

// How a dialog run ends by the state it was closed in: success or nothing to update, the
// failure state, or closed by the person before the update ended.
inline int exitCodeAfterDialog(DfuState endState) {
    switch (endState) {
        case DFU_STATE_SUCCESS:
        case DFU_STATE_UP_TO_DATE:
            return kExitSuccess;
        case DFU_STATE_FAILED:
            return kExitFailed;
        default:
            return kExitStoppedByUser;
    }
}

}  // namespace zeltor
