#include "ui/frontend.h"

namespace tapix {

std::unique_ptr<FrontEnd> MakeHeadlessFrontEnd() { return nullptr; }

}  // namespace tapix
