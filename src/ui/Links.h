#pragma once
// The maker's web addresses shown on the start window, the main window, its help menus and the
// help and report windows. Written without scheme and "www.", as the user reads them.

namespace ui {
inline constexpr char kHomeDe[] = "velmont-media.de";
inline constexpr char kHomeEn[] = "velmont-media.com";
inline constexpr char kDonateDe[] = "velmont-media.de/spenden";
inline constexpr char kDonateEn[] = "velmont-media.com/donate";

// The program's own pages: its home page, online introduction, documentation (the online help)
// and the maker's support form.
inline constexpr char kProgramDe[] = "velmont-media.de/glyphwerk";
inline constexpr char kProgramEn[] = "velmont-media.com/glyphworks";
inline constexpr char kIntroDe[] = "velmont-media.de/glyphwerk/einfuehrung";
inline constexpr char kIntroEn[] = "velmont-media.com/glyphworks/introduction";
inline constexpr char kDocsDe[] = "velmont-media.de/glyphwerk/dokumentation";
inline constexpr char kDocsEn[] = "velmont-media.com/glyphworks/help";
inline constexpr char kSupportDe[] = "velmont-media.de/support";
inline constexpr char kSupportEn[] = "velmont-media.com/support";
} // namespace ui
