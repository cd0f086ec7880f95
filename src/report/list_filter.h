// List filters: a filter whose placeholder is written {@NAME@} receives a
// comma-separated list of values instead of a single one.
#pragma once

#include "tpl/variant.h"

namespace tpl {

// True when the placeholder, without surrounding blanks, has "@" as its
// second and as its second-to-last character ({@} counts: both are the same
// "@"). A placeholder shorter than two characters is never a list filter.
bool IsListFilter(const Variant& placeholder);

}  // namespace tpl
