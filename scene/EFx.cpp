// Out-of-line destructor of the effect interface.
#include "scene/EFx.h"

namespace Sorva {

EFx::~EFx() = default;

} // namespace Sorva
