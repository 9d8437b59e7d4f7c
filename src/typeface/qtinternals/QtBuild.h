#pragma once
// How the Qt this program was built against was itself configured, as far as the faces depend on
// it: Qt must draw with the system's FreeType and shape with the system's HarfBuzz, the libraries
// this program links, since faces and fonts pass between the two.

namespace platform::qtinternals {

/// Qt's build configuration, as its headers gave it when this program was built.
struct QtBuild
{
    /// Qt's FreeType engine uses the system's FreeType library.
    bool systemFreetype = false;
    /// Qt's text shaping uses the system's HarfBuzz library.
    bool systemHarfbuzz = false;
};

/// The configuration of the Qt this program was built against.
QtBuild qtBuild();

} // namespace platform::qtinternals
