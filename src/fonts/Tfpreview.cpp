#include "fonts/Tfpreview.h"

#include <QPlainTextEdit>

Tfpreview::Tfpreview(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fpreview"));
    resize(615, 346);
    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setGeometry(8, 36, 599, 302);
    Memo2->setPlainText(QStringLiteral("abc def ghijklm\nnopqr stuv wxyz \n1234567890"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(17);
    Memo2->setFont(font);
}
