#include "system/planted_faults.h"

namespace vulconv {

PlantedError PlantedFault(FileCall) { return PlantedError::None; }

}  // namespace vulconv
