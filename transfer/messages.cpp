#include "messages.h"

namespace taplink {

Message SerialBackendMissingMessage() {
    return {"Can not record into string driving control of MSCOMM32.OCX!Examine if MSCOMM32.OCX "
            "fall in the catalogue please!",
            "Error!", MessageIcon::Stop};
}

}  // namespace taplink
