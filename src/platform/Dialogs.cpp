#include "platform/Dialogs.h"

#include "typeface/SampleBoxFace.h"

#include <QApplication>
#include <QDir>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QQueue>
#include <QWidget>

namespace dialogs {
namespace {

struct State
{
    QQueue<QVariant> answers;
    QList<Shown> shown;
    bool nonInteractive = false;
    std::function<QVariant(const Shown &)> responder;
    QString applicationTitle;
};

State &state()
{
    static State s;
    return s;
}

// A queued answer for the dialog about to open (`request`), if a test left one, else the
// responder's answer, if there is a responder and it answers.
bool takeQueued(QVariant &answer, const Shown &request)
{
    if (!state().answers.isEmpty()) {
        answer = state().answers.dequeue();
        return true;
    }
    if (state().responder) {
        answer = state().responder(request);
        return answer.isValid();
    }
    return false;
}

QString kindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information:
        return QStringLiteral("information");
    case MessageKind::Error:
        return QStringLiteral("error");
    case MessageKind::Confirmation:
        return QStringLiteral("confirmation");
    case MessageKind::ErrorQuestion:
        return QStringLiteral("error question");
    }
    return {};
}

// Qt's form of a Windows-style filter: "Bitmap (*.bmp)|*.bmp" becomes "Bitmap (*.bmp)"; a
// description without its patterns in brackets gets them appended; pairs are joined by ";;".
QString qtNameFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << (description.contains(QLatin1Char('('))
                        ? description
                        : QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace

void setApplicationTitle(const QString &title)
{
    state().applicationTitle = title;
    // Qt appends its application display name to every window caption that does not end with it
    // ("Status — Glyphworks - Velmont Media"); an empty one is a suffix of every caption.
    QGuiApplication::setApplicationDisplayName(QStringLiteral(""));
}

QString applicationTitle()
{
    return state().applicationTitle.isEmpty() ? QCoreApplication::applicationName() : state().applicationTitle;
}

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

Answer message(MessageKind kind, const QString &text, const QString &title)
{
    const QString caption = title.isEmpty() ? applicationTitle() : title;
    Answer answer = kind == MessageKind::Confirmation || kind == MessageKind::ErrorQuestion ? Answer::Cancel : Answer::Ok;
    QVariant queued;
    if (takeQueued(queued, {kindName(kind), caption, text, {}})) {
        answer = queued.value<Answer>();
    } else if (!state().nonInteractive) {
        QMessageBox box(dialogParent());
        box.setWindowTitle(caption);
        // Messages break their lines the Windows way; the box wants plain line feeds.
        box.setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        switch (kind) {
        case MessageKind::Information:
            box.setIcon(QMessageBox::Information);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageKind::Error:
            box.setIcon(QMessageBox::Critical);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageKind::Confirmation:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            break;
        case MessageKind::ErrorQuestion:
            box.setIcon(QMessageBox::Critical);
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            break;
        }
        answer = box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
    }
    state().shown.append({kindName(kind), caption, text, QVariant::fromValue(answer)});
    return answer;
}

QString chooseFolder(const QString &title, const QString &startFolder)
{
    QString chosen;
    QVariant queued;
    if (takeQueued(queued, {QStringLiteral("folder"), title, startFolder, {}})) {
        chosen = queued.toString();
    } else if (!state().nonInteractive) {
        chosen = QFileDialog::getExistingDirectory(dialogParent(), title, startFolder,
                                                   QFileDialog::ShowDirsOnly);
    }
    state().shown.append({QStringLiteral("folder"), title, startFolder, chosen});
    return chosen;
}

FontChoice chooseFont(const QFont &font, const QColor &colour)
{
    FontChoice choice;
    QVariant queued;
    const QString shownWith = QStringLiteral("%1 %2").arg(font.family()).arg(font.pointSizeF());
    if (takeQueued(queued, {QStringLiteral("font"), QString(), shownWith, {}})) {
        choice = queued.value<FontChoice>();
    } else if (!state().nonInteractive) {
        // The face registered for the sample boxes is no typeface to choose. Dropped here, it
        // comes back for the boxes with the next move of the list's focus, which carries the
        // focused font to them again.
        platform::releaseSampleBoxFace();
        // Qt's font dialog has no colour; it is embedded, without its buttons, in a dialog that
        // adds a colour button and the OK and Cancel of the whole.
        QDialog dialog(dialogParent());
        dialog.setObjectName(QStringLiteral("fd"));
        dialog.setWindowTitle(QCoreApplication::translate("QFontDialog", "Select Font"));
        auto *fonts = new QFontDialog(font, &dialog);
        fonts->setWindowFlags(Qt::Widget);
        fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        QColor chosenColour = colour;
        auto *colourButton = new QPushButton(QCoreApplication::translate("QColorDialog", "Select Color"), &dialog);
        const auto showColour = [&] {
            QPixmap swatch(16, 16);
            swatch.fill(chosenColour);
            colourButton->setIcon(QIcon(swatch));
        };
        showColour();
        QObject::connect(colourButton, &QPushButton::clicked, &dialog, [&] {
            const QColor picked = QColorDialog::getColor(chosenColour, &dialog);
            if (picked.isValid()) {
                chosenColour = picked;
                showColour();
            }
        });
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(fonts);
        auto *row = new QHBoxLayout;
        row->addWidget(colourButton);
        row->addStretch();
        row->addWidget(buttons);
        layout->addLayout(row);
        choice.accepted = dialog.exec() == QDialog::Accepted;
        choice.font = fonts->currentFont();
        choice.colour = chosenColour;
    }
    state().shown.append({QStringLiteral("font"), QString(), shownWith, QVariant::fromValue(choice)});
    return choice;
}

PrintChoice printDialog(QPrinter &printer, int minPage, int maxPage)
{
    const QString shownWith = QStringLiteral("%1-%2 from %3").arg(minPage).arg(maxPage).arg(printer.fromPage());
    PrintChoice choice;
    QVariant queued;
    if (takeQueued(queued, {QStringLiteral("print"), QString(), shownWith, {}})) {
        choice = queued.value<PrintChoice>();
    } else if (!state().nonInteractive) {
        QPrintDialog dialog(&printer, dialogParent());
        dialog.setOptions(QAbstractPrintDialog::PrintPageRange);
        dialog.setMinMax(minPage, maxPage);
        choice.accepted = dialog.exec() == QDialog::Accepted;
        choice.pageNumbers = printer.printRange() == QPrinter::PageRange;
        choice.from = printer.fromPage();
        choice.to = printer.toPage();
        choice.copies = printer.copyCount();
        choice.printer = printer.printerName();
    }
    if (choice.accepted && !queued.isNull()) {
        // An answer given in advance is left in the printer as the dialog would leave it.
        printer.setPrintRange(choice.pageNumbers ? QPrinter::PageRange : QPrinter::AllPages);
        printer.setFromTo(choice.from, choice.to);
        printer.setCopyCount(choice.copies);
    }
    state().shown.append({QStringLiteral("print"), QString(), shownWith, QVariant::fromValue(choice)});
    return choice;
}

QString saveFile(const QString &filter, const QString &defaultExtension, const QString &proposedName)
{
    QString chosen;
    QVariant queued;
    if (takeQueued(queued, {QStringLiteral("save"), QString(), filter, {}, proposedName})) {
        chosen = queued.toString();
    } else if (!state().nonInteractive) {
        // The proposed name, with any folder in it, is where the dialog starts.
        QFileDialog dialog(dialogParent(), QString(), proposedName, qtNameFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        QString suffix = defaultExtension;
        if (suffix.startsWith(QLatin1Char('.')))
            suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    state().shown.append({QStringLiteral("save"), QString(), filter, chosen, proposedName});
    return chosen;
}

void setNextAnswer(const QVariant &answer)
{
    state().answers.enqueue(answer);
}

void setResponder(std::function<QVariant(const Shown &request)> responder)
{
    state().responder = std::move(responder);
}

void setNonInteractive(bool on)
{
    state().nonInteractive = on;
}

const QList<Shown> &shown()
{
    return state().shown;
}

void clearShown()
{
    state().shown.clear();
    state().answers.clear();
}

} // namespace dialogs
