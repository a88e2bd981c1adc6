// The one way a fuzz target reports a broken rule: a message and abort(),
// which libFuzzer and the corpus replay both count as a crash.
#ifndef VULCONV_TESTS_FUZZ_FUZZ_CHECK_H_
#define VULCONV_TESTS_FUZZ_FUZZ_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace vulconv::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* rule) {
  std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, rule);
  std::abort();
}

/// The input as text bytes.
inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace vulconv::fuzz

#define FUZZ_CHECK(rule) \
  ((rule) ? static_cast<void>(0) : ::vulconv::fuzz::Fail(__FILE__, __LINE__, #rule))

#endif  // VULCONV_TESTS_FUZZ_FUZZ_CHECK_H_
