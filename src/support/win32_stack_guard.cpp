// The stack canary's guard value and its failure, here rather than GCC's libssp: libssp seeds
// the guard through CryptAcquireContext, which loads a cryptographic service provider (rsaenh.dll
// and what it needs) into every start of a program meant to cost next to nothing. RtlGenRandom
// (advapi32, already imported) gives an equally unpredictable value without one. Defined here,
// these symbols keep the linker from taking libssp's copies.

#include <windows.h>
#include <ntsecapi.h>

#include <cstdint>

extern "C" {

// An arbitrary nonzero value until the constructor below runs; nothing protected runs before it.
uintptr_t __stack_chk_guard = 0x2B992DDFA232u;

// No canary of its own: it changes the value that its own check would compare against.
__attribute__((constructor(101), no_stack_protector)) static void SeedStackGuard() {
    uintptr_t seed = 0;
    if (::RtlGenRandom(&seed, sizeof(seed)) && seed != 0) __stack_chk_guard = seed;
}

// A smashed stack cannot be trusted to unwind: end the process on the spot, as the platform's
// own compiler does (__fastfail with FAST_FAIL_STACK_COOKIE_CHECK_FAILURE), leaving a trace for
// a debugger first.
__attribute__((noreturn, no_stack_protector)) void __stack_chk_fail() {
    ::OutputDebugStringA("*** stack smashing detected ***: lumora.exe terminated");
    __asm__ __volatile__("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE));
    ::TerminateProcess(::GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_unreachable();
}

}  // extern "C"
