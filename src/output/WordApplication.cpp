#include "output/WordApplication.h"

#include "fonts/FontFileName.h"
#include "output/DocxWriter.h"
#include "platform/DocumentOpener.h"
#include "platform/FileFaces.h"
#include "platform/FontResources.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <utility>
#include <vector>

namespace output {
namespace {

using platform::automation::AutomationError;
using platform::automation::Dispatch;
using platform::automation::Failure;
using platform::automation::Variant;

// One document as typed: the last paragraph is the one the insertion point is in.
struct TypedDocument
{
    docx::Document document;
    docx::Format format; ///< the selection's font: applies to what is typed next
    bool shown = false;

    TypedDocument()
    {
        format.font = QStringLiteral("Times New Roman");
        document.paragraphs.append(docx::Paragraph{{}, format});
    }
};

// The application's state, shared by all its objects.
struct Session
{
    std::vector<std::shared_ptr<TypedDocument>> documents;
    std::shared_ptr<TypedDocument> active;
    bool visible = false;
};

using SessionPtr = std::shared_ptr<Session>;

bool is(const QString &name, const char *member)
{
    return name.compare(QLatin1String(member), Qt::CaseInsensitive) == 0;
}

[[noreturn]] void unknown(const QString &name)
{
    throw AutomationError(Failure::UnknownName, QStringLiteral("Unknown member \"%1\".").arg(name));
}

[[noreturn]] void mismatch(const QString &name, const Variant &value)
{
    throw AutomationError(Failure::TypeMismatch, QStringLiteral("\"%1\" does not take a value of type %2.")
                                                     .arg(name, Variant::typeName(value.type())));
}

void expectArguments(const QString &name, const QList<Variant> &arguments, qsizetype count)
{
    if (arguments.size() != count)
        throw AutomationError(Failure::TypeMismatch,
                              QStringLiteral("\"%1\" takes %2 argument(s), not %3.").arg(name).arg(count).arg(arguments.size()));
}

qint32 integerOf(const QString &name, const Variant &value)
{
    if (value.type() != Variant::Type::Int32)
        mismatch(name, value);
    return value.toInt32();
}

// Word's booleans arrive as automation booleans, or as integers (non-zero is true).
bool truthOf(const QString &name, const Variant &value)
{
    if (value.type() == Variant::Type::Bool || value.type() == Variant::Type::Int32)
        return value.toInt32() != 0;
    mismatch(name, value);
}

QString textOf(const QString &name, const Variant &value)
{
    if (value.type() != Variant::Type::WideText && value.type() != Variant::Type::AnsiText)
        mismatch(name, value);
    return value.toText();
}

TypedDocument &activeDocument(const Session &session)
{
    if (!session.active)
        throw AutomationError(Failure::Failed, QStringLiteral("No document is open."));
    return *session.active;
}

// A member that is only ever read, or only ever called, used the other way.
[[noreturn]] void wrongUse(const QString &name)
{
    throw AutomationError(Failure::TypeMismatch, QStringLiteral("\"%1\" cannot be used this way.").arg(name));
}

class FontObject : public Dispatch
{
public:
    explicit FontObject(SessionPtr session)
        : m_session(std::move(session))
    {
    }

    Variant get(const QString &name) override
    {
        const docx::Format &format = activeDocument(*m_session).format;
        if (is(name, "size"))
            return Variant::int32(format.size);
        if (is(name, "bold"))
            return Variant::boolean(format.bold);
        if (is(name, "italic"))
            return Variant::boolean(format.italic);
        if (is(name, "name"))
            return Variant::wideText(format.font);
        unknown(name);
    }

    void set(const QString &name, const Variant &value) override
    {
        docx::Format &format = activeDocument(*m_session).format;
        if (is(name, "size")) {
            const qint32 size = integerOf(name, value);
            if (size < 1 || size > docx::kMaxFontSize)
                throw AutomationError(Failure::OutOfRange,
                                      QStringLiteral("The font size %1 is out of range (1 to %2 points).")
                                          .arg(size)
                                          .arg(docx::kMaxFontSize));
            format.size = size;
        } else if (is(name, "bold")) {
            format.bold = truthOf(name, value);
        } else if (is(name, "italic")) {
            format.italic = truthOf(name, value);
        } else if (is(name, "name")) {
            format.font = textOf(name, value);
        } else {
            unknown(name);
        }
    }

    Variant call(const QString &name, const QList<Variant> &) override
    {
        if (is(name, "size") || is(name, "bold") || is(name, "italic") || is(name, "name"))
            wrongUse(name);
        unknown(name);
    }

private:
    SessionPtr m_session;
};

class SelectionObject : public Dispatch
{
public:
    explicit SelectionObject(SessionPtr session)
        : m_session(std::move(session))
    {
    }

    Variant get(const QString &name) override
    {
        if (is(name, "font"))
            return Variant::object(std::make_shared<FontObject>(m_session));
        if (is(name, "typetext") || is(name, "typeparagraph"))
            wrongUse(name);
        unknown(name);
    }

    void set(const QString &name, const Variant &) override
    {
        if (is(name, "font") || is(name, "typetext") || is(name, "typeparagraph"))
            wrongUse(name);
        unknown(name);
    }

    Variant call(const QString &name, const QList<Variant> &arguments) override
    {
        TypedDocument &typed = activeDocument(*m_session);
        if (is(name, "typetext")) {
            expectArguments(name, arguments, 1);
            typed.document.paragraphs.last().runs.append({textOf(name, arguments.first()), typed.format});
        } else if (is(name, "typeparagraph")) {
            expectArguments(name, arguments, 0);
            // The ended paragraph's mark takes the font in force; the new paragraph starts with it.
            typed.document.paragraphs.last().mark = typed.format;
            typed.document.paragraphs.append(docx::Paragraph{{}, typed.format});
        } else if (is(name, "font")) {
            wrongUse(name);
        } else {
            unknown(name);
        }
        return {};
    }

private:
    SessionPtr m_session;
};

class PageSetupObject : public Dispatch
{
public:
    explicit PageSetupObject(std::shared_ptr<TypedDocument> document)
        : m_document(std::move(document))
    {
    }

    Variant get(const QString &name) override
    {
        if (is(name, "orientation"))
            return Variant::int32(m_document->document.landscape ? 1 : 0);
        unknown(name);
    }

    void set(const QString &name, const Variant &value) override
    {
        if (!is(name, "orientation"))
            unknown(name);
        const qint32 orientation = integerOf(name, value);
        if (orientation != 0 && orientation != 1)
            throw AutomationError(Failure::OutOfRange,
                                  QStringLiteral("The orientation %1 is neither 0 (portrait) nor 1 (landscape).")
                                      .arg(orientation));
        m_document->document.landscape = orientation == 1;
    }

    Variant call(const QString &name, const QList<Variant> &) override
    {
        if (is(name, "orientation"))
            wrongUse(name);
        unknown(name);
    }

private:
    std::shared_ptr<TypedDocument> m_document;
};

class DocumentObject : public Dispatch
{
public:
    explicit DocumentObject(std::shared_ptr<TypedDocument> document)
        : m_document(std::move(document))
    {
    }

    Variant get(const QString &name) override
    {
        if (is(name, "pagesetup"))
            return Variant::object(std::make_shared<PageSetupObject>(m_document));
        unknown(name);
    }

    void set(const QString &name, const Variant &) override
    {
        if (is(name, "pagesetup"))
            wrongUse(name);
        unknown(name);
    }

    Variant call(const QString &name, const QList<Variant> &) override
    {
        if (is(name, "pagesetup"))
            wrongUse(name);
        unknown(name);
    }

private:
    std::shared_ptr<TypedDocument> m_document;
};

class DocumentsObject : public Dispatch
{
public:
    explicit DocumentsObject(SessionPtr session)
        : m_session(std::move(session))
    {
    }

    Variant get(const QString &name) override
    {
        if (is(name, "count"))
            return Variant::int32(qint32(m_session->documents.size()));
        if (is(name, "add"))
            return add(name, {});
        unknown(name);
    }

    void set(const QString &name, const Variant &) override
    {
        if (is(name, "count") || is(name, "add"))
            wrongUse(name);
        unknown(name);
    }

    Variant call(const QString &name, const QList<Variant> &arguments) override
    {
        if (is(name, "add"))
            return add(name, arguments);
        if (is(name, "count"))
            wrongUse(name);
        unknown(name);
    }

private:
    // A new, empty document becomes the active one, with the insertion point at its start.
    Variant add(const QString &name, const QList<Variant> &arguments)
    {
        expectArguments(name, arguments, 0);
        auto document = std::make_shared<TypedDocument>();
        m_session->documents.push_back(document);
        m_session->active = document;
        return Variant::object(std::make_shared<DocumentObject>(document));
    }

    SessionPtr m_session;
};

// What the fonts added for the run give one document.
struct RunFonts
{
    QList<docx::FontFile> files; ///< carried, one file for each name
    QSet<QString> named;         ///< the document's names that are names of added files
    QStringList tooLarge;        ///< files of names not carried because the files are too large
    QByteArrayList local;        ///< one file for each name, for the word processor started here
};

// The fonts added for this run among `names`, each with its file's contents, to carry and to hand
// to the word processor. Installed fonts are not among them: the list adds a folder's file only
// when its name is not installed. A file is read as the sheet draws it: bounded, without
// blocking, and only as the very file that was listed; one that cannot be read so stays out
// without a word, as the list marks it already.
RunFonts runFontFiles(const QSet<QString> &names)
{
    RunFonts fonts;
    if (!qGuiApp || names.isEmpty())
        return fonts;
    QStringList added = platform::FontResources::instance().addedFiles();
    // The same order every time, so that of two files with one name the same one travels.
    added.sort();
    QSet<QString> carried;
    QSet<QString> local;
    qint64 localTotal = 0;
    // Name and path of each file left out for its size, in path order.
    QList<std::pair<QString, QString>> oversized;
    qint64 total = 0;
    for (const QString &path : std::as_const(added)) {
        const QString name = ReadFontFileName(path);
        if (!names.contains(name))
            continue;
        fonts.named.insert(name);
        if (carried.contains(name) && local.contains(name))
            continue;
        platform::FontFileBytes read = platform::FileFaces::instance().fileBytes(path);
        if (read.fault == platform::FontFileFault::TooLarge) {
            oversized.append({name, path});
            continue;
        }
        // The word processor's font system reads every name of a font it is given, here and
        // wherever the document is opened: a folder's file goes to it with its names bounded.
        read.bytes = platform::withBoundedNames(std::move(read.bytes));
        // The word processor started here takes the files as fonts of its own, whatever their
        // embedding permission: that is the use of an installed font, not a copy in a document.
        if (read.fault == platform::FontFileFault::None && !local.contains(name)
            && localTotal + read.bytes.size() <= kMaxCarriedFontBytes) {
            localTotal += read.bytes.size();
            local.insert(name);
            fonts.local.append(read.bytes);
        }
        if (carried.contains(name))
            continue;
        // A file the document could not carry anyway leaves the name to the next file of it.
        if (read.fault != platform::FontFileFault::None || docx::embeddingOf(read.bytes) != docx::Embedding::Allowed)
            continue;
        if (total + read.bytes.size() > kMaxCarriedFontBytes) {
            oversized.append({name, path});
            continue;
        }
        total += read.bytes.size();
        carried.insert(name);
        fonts.files.append({name, read.bytes});
    }
    // A name another file of it carries needs no word about its larger files.
    for (const auto &[name, path] : std::as_const(oversized))
        if (!carried.contains(name))
            fonts.tooLarge.append(path);
    return fonts;
}

// The files documents shown since the application object was made could not carry for their
// size, each once, in the order met.
QStringList &tooLargeRecord()
{
    static QStringList record;
    return record;
}

// Qt lists a family offered by several foundries as "Family [Foundry]"; the word processor knows
// the family by its plain name.
QString plainFamily(const QString &name)
{
    static const QRegularExpression qualified(QStringLiteral("^(.+) \\[[^\\]]+\\]$"));
    const QRegularExpressionMatch match = qualified.match(name);
    return match.hasMatch() ? match.captured(1) : name;
}

void show(TypedDocument &typed)
{
    docx::Document document = typed.document;
    QSet<QString> names;
    for (const docx::Paragraph &paragraph : std::as_const(document.paragraphs))
        for (const docx::Run &run : paragraph.runs)
            names.insert(run.format.font);
    const RunFonts fonts = runFontFiles(names);
    // A name of an added file is the file's own, also where its file does not travel.
    const auto rename = [&fonts](docx::Format &format) {
        if (!fonts.named.contains(format.font))
            format.font = plainFamily(format.font);
    };
    for (docx::Paragraph &paragraph : document.paragraphs) {
        rename(paragraph.mark);
        for (docx::Run &run : paragraph.runs)
            rename(run.format);
    }

    // A unique name, taken before the document is written in its place.
    QTemporaryFile placeholder(documentFolder() + QStringLiteral("/Glyphworks-XXXXXX.docx"));
    placeholder.setAutoRemove(false);
    if (!placeholder.open())
        throw platform::Error(QStringLiteral("No document can be made in %1: %2")
                                  .arg(documentFolder(), placeholder.errorString()));
    const QString path = placeholder.fileName();
    placeholder.close();
    docx::write(document, fonts.files, path);
    // Writer may replace a font the document carries (one with CFF outlines, .otf) and cannot
    // show one that may not travel in it; the fonts handed to a Writer this program starts show.
    const QString fontConfiguration = fonts.local.isEmpty()
                                          ? QString()
                                          : platform::writeFontConfiguration(documentFolder(), fonts.local);
    typed.shown = true;
    QStringList &record = tooLargeRecord();
    for (const QString &file : fonts.tooLarge)
        if (!record.contains(file))
            record.append(file);
    platform::documentOpener().openAsNewWithFonts(path, fontConfiguration);
}

class ApplicationObject : public Dispatch
{
public:
    ApplicationObject()
        : m_session(std::make_shared<Session>())
    {
    }

    Variant get(const QString &name) override
    {
        if (is(name, "documents"))
            return Variant::object(std::make_shared<DocumentsObject>(m_session));
        if (is(name, "activedocument")) {
            activeDocument(*m_session);
            return Variant::object(std::make_shared<DocumentObject>(m_session->active));
        }
        if (is(name, "selection"))
            return Variant::object(std::make_shared<SelectionObject>(m_session));
        if (is(name, "visible"))
            return Variant::boolean(m_session->visible);
        unknown(name);
    }

    void set(const QString &name, const Variant &value) override
    {
        if (!is(name, "visible")) {
            if (is(name, "documents") || is(name, "activedocument") || is(name, "selection"))
                wrongUse(name);
            unknown(name);
        }
        m_session->visible = truthOf(name, value);
        // Showing the application shows each document not shown yet; a document keeps being
        // shown once it is, whatever is typed into it later.
        if (m_session->visible)
            for (const auto &document : m_session->documents)
                if (!document->shown)
                    show(*document);
    }

    Variant call(const QString &name, const QList<Variant> &) override
    {
        if (is(name, "documents") || is(name, "activedocument") || is(name, "selection") || is(name, "visible"))
            wrongUse(name);
        unknown(name);
    }

private:
    SessionPtr m_session;
};

} // namespace

std::shared_ptr<Dispatch> createWordApplication()
{
    if (!platform::documentOpener().available())
        throw AutomationError(Failure::Unavailable, QStringLiteral("No word processor is installed."));
    tooLargeRecord().clear();
    return std::make_shared<ApplicationObject>();
}

QStringList takeFontFilesTooLargeToCarry()
{
    return std::exchange(tooLargeRecord(), {});
}

void registerWordApplication()
{
    platform::automation::registerClass(QString::fromLatin1(kWordProgramId), createWordApplication);
}

QString documentFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                           + QStringLiteral("/glyphworks/documents");
    if (QDir().mkpath(folder))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

int removeOldDocuments(const QDateTime &before)
{
    int removed = 0;
    // Finished documents end in ".docx"; an unfinished one (a write cut short by the end of the
    // process) carries the writer's temporary suffix after it.
    QDirIterator it(documentFolder(), {QStringLiteral("Glyphworks-*.docx*")}, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QFileInfo file = it.nextFileInfo();
        if (file.lastModified() < before && QFile::remove(file.filePath()))
            ++removed;
    }
    // A Writer still open reads its fonts as it needs them, so their folders stay a week longer
    // than the documents. removeRecursively() removes links, never what they point to.
    const QDateTime fontsBefore = before.addDays(-7);
    QDirIterator folders(documentFolder(), {QLatin1String(platform::kFontFolderPrefix) + QLatin1Char('*')},
                         QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    while (folders.hasNext()) {
        const QFileInfo folder = folders.nextFileInfo();
        if (!folder.isSymLink() && folder.lastModified() < fontsBefore && QDir(folder.filePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace output
