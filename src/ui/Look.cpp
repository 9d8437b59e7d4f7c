#include "ui/Look.h"

#include <QPalette>
#include <QWidget>

namespace ui {

QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(11);
    return font;
}

QFont sampleBoxFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(pixelSize);
    return font;
}

QColor textColour()
{
    return QColor(15, 63, 111);
}

QColor linkColour()
{
    return QColor(0, 51, 102);
}

void applyWindowLook(QWidget *window)
{
    window->setFont(windowFont());
    QPalette p = window->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, textColour());
    window->setPalette(p);
}

} // namespace ui
