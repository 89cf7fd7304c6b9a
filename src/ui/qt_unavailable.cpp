// Built without Qt: there is no window, the console front end runs.
#include "ui/front_ends.h"

namespace tapix {

std::unique_ptr<FrontEnd> MakeQtFrontEnd(int&, char**) { return nullptr; }

}  // namespace tapix
