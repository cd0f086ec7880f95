// The fuzz targets: one function per entry point under attack, each taking
// the raw bytes of one input. The same functions run under libFuzzer (one
// program each, through libfuzzer_entry.cpp) and in the replay driver that
// ctest runs over the checked-in corpus.
//
// A target returns normally when the code under test refused the input the
// way it should or accepted it and kept its rules; it raises Defect
// (fuzz_input.h) when a rule is broken. Any other exception escaping a
// target is a defect too.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tpl::fuzz {

// The host's JSON reading and the Variant encoding, both ways.
int FuzzVariantJson(const uint8_t* data, size_t size);
// Variant conversions, comparisons, arithmetic, number and date reading.
int FuzzConversions(const uint8_t* data, size_t size);
// mConsiste_Filtros and mPrepara_Query on a filter matrix.
int FuzzFilters(const uint8_t* data, size_t size);
// The embedded provider's SQL scanner, batch reader and dialect rewriter.
int FuzzSqlText(const uint8_t* data, size_t size);

struct Target {
  std::string_view name;  // also the folder of its corpus
  int (*run)(const uint8_t* data, size_t size);
};

inline constexpr std::array<Target, 4> kTargets{{
    {"variant_json", FuzzVariantJson},
    {"conversions", FuzzConversions},
    {"filters", FuzzFilters},
    {"sql_text", FuzzSqlText},
}};

}  // namespace tpl::fuzz
