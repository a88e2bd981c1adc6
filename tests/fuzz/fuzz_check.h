// The one way a fuzz target reports a broken rule: a message and abort(),
// which libFuzzer and the corpus replay both count as a crash.
#ifndef VULCONV_TESTS_FUZZ_FUZZ_CHECK_H_
#define VULCONV_TESTS_FUZZ_FUZZ_CHECK_H_

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#define FUZZ_CHECK(rule) \
  ((rule) ? void(0) : (std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #rule), std::abort()))

#endif  // VULCONV_TESTS_FUZZ_FUZZ_CHECK_H_
