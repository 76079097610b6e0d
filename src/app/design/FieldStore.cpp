#include "FieldStore.h"

namespace dravik {
FieldStore::~FieldStore() = default;
} // namespace dravik
