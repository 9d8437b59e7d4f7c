#pragma once
// A window's texts as data: one row per control with its German and its English text side by
// side, and the routine that puts one language's texts on the controls.

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QString>
#include <QStringView>

#include <type_traits>
#include <variant>

namespace ui {

/// A text in both interface languages.
struct TextPair
{
    QStringView german;
    QStringView english;

    /// The German text when `inGerman`, otherwise the English one.
    QString in(bool inGerman) const { return (inGerman ? german : english).toString(); }
};

/// Stands for the window's own title in a caption row.
struct WindowTitle
{
};

/// One caption of a window of class `Window`: the control that shows it (a member of `Window`
/// pointing to a control of one of the kinds `Controls`, or the window's title) and its text in
/// German and in English.
template <class Window, class... Controls>
struct Caption
{
    std::variant<WindowTitle, Controls *Window::*...> control;
    QStringView german;
    QStringView english;
};

/// Puts `text` on `control`, by the setter its kind has.
inline void setCaption(QLabel *control, const QString &text)
{
    control->setText(text);
}
inline void setCaption(QAbstractButton *control, const QString &text)
{
    control->setText(text);
}
inline void setCaption(QAction *control, const QString &text)
{
    control->setText(text);
}
inline void setCaption(QMenu *control, const QString &text)
{
    control->setTitle(text);
}
inline void setCaption(QGroupBox *control, const QString &text)
{
    control->setTitle(text);
}

/// Puts the German (`inGerman`) or English text of every row of `captions`, in row order, on the
/// controls of `window`.
template <class Window, class Captions>
void applyCaptions(Window &window, const Captions &captions, bool inGerman)
{
    for (const auto &row : captions) {
        const QString text = (inGerman ? row.german : row.english).toString();
        std::visit(
            [&](auto control) {
                if constexpr (std::is_same_v<decltype(control), WindowTitle>)
                    window.setWindowTitle(text);
                else
                    setCaption(window.*control, text);
            },
            row.control);
    }
}

} // namespace ui
