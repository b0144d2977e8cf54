#include "controller/dialog_request.h"

namespace zeltor {

DialogRequest dialogRequest(const CBrennicDFUDlg& dlg, bool startShown, bool workPending) {
    switch (dlg.state()) {
        case DFU_STATE_READY:
            return startShown ? DialogRequest::PressStart : DialogRequest::Nothing;
        case DFU_STATE_SUCCESS:
        case DFU_STATE_UP_TO_DATE:
            return DialogRequest::Close;
        case DFU_STATE_FAILED:
            if (dlg.failedRetries() > kMaxFailedRetries) {
                return DialogRequest::GiveUp;
            }
            return workPending ? DialogRequest::Nothing : DialogRequest::Replug;
        default:
            return DialogRequest::Nothing;
    }
}

}  // namespace zeltor
