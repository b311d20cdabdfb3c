// Assertions that the code may lean on: KRELIN_ASSERT(condition) checks the condition when the
// build asks for it (the CMake option KRELIN_ASSERTS, on in the sanitizer build) and stops the
// program with the condition's text, file and line when it fails. Otherwise it compiles to nothing
// and the condition is not evaluated, so a Release build pays nothing for it.
#pragma once

[[noreturn]] void AssertionFailed(const char *condition, const char *file,
                                  int line);  // to stderr, then abort

#ifdef KRELIN_ASSERTS
#define KRELIN_ASSERT(condition) ((condition) ? (void)0 : AssertionFailed(#condition, __FILE__, __LINE__))
#else
#define KRELIN_ASSERT(condition) ((void)0)
#endif
