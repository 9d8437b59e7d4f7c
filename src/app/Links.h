#pragma once
// The maker's web addresses shown on the start window and the main window.

namespace app {
inline constexpr char kHomeDe[] = "velmont-media.de";
inline constexpr char kHomeEn[] = "velmont-media.com";
inline constexpr char kDonateDe[] = "velmont-media.de/spenden";
inline constexpr char kDonateEn[] = "velmont-media.com/donate";
} // namespace app
