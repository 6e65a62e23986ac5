// The host family that the start-up probe reports. The original engine asked the host for its
// version; we always report an NT-family host, which makes pipes named pipes (pipes.h) and tones
// the host's tone service. Exactly one flag is set.
#pragma once

namespace quillet {

struct PlatformFlags {
    bool is_nt;
    bool windows_95;
    bool win32s;
};

inline constexpr PlatformFlags platform_flags = {true, false, false};

} // namespace quillet
