// Circular ordering of the taxa of a split system: the cycle operations are
// members of tSplitsSystem (compute_cyclic_configuration and its helpers);
// the canonical rotation is lexicographically_order of core/auxilary.h.
#pragma once

#include "core/auxilary.h"
#include "splits/splits_sys.h"
