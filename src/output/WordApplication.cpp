#include "output/WordApplication.h"

#include "output/DocxWriter.h"
#include "platform/DocumentOpener.h"
#include "typeface/FileFaces.h"
#include "util/FilePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>

#include <cerrno>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace output {
namespace {

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

// What the font files of a document's runs give it.
struct RunFonts
{
    QList<docx::FontFile> files;   ///< carried, each under the name its runs use in the document
    QHash<QString, QString> names; ///< the name in the document of each file the runs name
    UncarriedFonts uncarried;      ///< files not carried for their size
    QByteArrayList local;          ///< the files, for the word processor started here
};

// The name the document gives the file of the `count`th file (from 1) of the font `name`: the
// first keeps it, the others are told apart by their number. The word processor knows a carried
// font by the name its document gives it.
QString numberedName(const QString &name, int count)
{
    return count <= 1 ? name : QStringLiteral("%1 (%2)").arg(name).arg(count);
}

qint64 &carriedFontLimit()
{
    static qint64 limit = kMaxCarriedFontBytes;
    return limit;
}

// The font files the runs are set in, `files` (file path and the font name the runs use), each
// with its contents, to carry and to hand to the word processor. Each run's text keeps its own
// file: two files of one name both travel, under distinct names. A file is read as the sheet
// draws it: bounded, without blocking, and only as the very file that was listed; one that cannot
// be read so stays out without a word, as the list marks it already.
RunFonts runFontFiles(const QList<std::pair<QString, QString>> &files)
{
    const qint64 limit = carriedFontLimit();
    RunFonts fonts;
    if (files.isEmpty())
        return fonts;
    QHash<QString, int> perName;
    // The contents carried under each name, so that a second copy of one file travels once.
    QHash<QString, QList<std::pair<QByteArray, QString>>> carriedBytes;
    qint64 total = 0;
    qint64 localTotal = 0;
    for (const auto &[path, name] : files) {
        platform::FontFileBytes read = platform::FileFaces::instance().fileBytes(path);
        if (read.fault == platform::FontFileFault::TooLarge) {
            fonts.uncarried.tooLarge.append(path);
            continue;
        }
        if (read.fault != platform::FontFileFault::None) {
            fonts.names.insert(path, name);
            continue;
        }
        // The word processor's font system reads every name and every named instance of a font
        // it is given, here and wherever the document is opened: a folder's file goes to it with
        // its names and variations bounded.
        read.bytes = platform::withBoundedTables(std::move(read.bytes));
        // A font whose names cannot be bounded within reason goes to no one.
        if (read.bytes.isEmpty()) {
            fonts.names.insert(path, name);
            continue;
        }
        QString documentName;
        for (const auto &[bytes, carriedName] : carriedBytes.value(name))
            if (bytes == read.bytes)
                documentName = carriedName;
        if (!documentName.isEmpty()) {
            fonts.names.insert(path, documentName);
            continue;
        }
        documentName = numberedName(name, ++perName[name]);
        fonts.names.insert(path, documentName);

        // The word processor started here takes the files as fonts of its own, whatever their
        // embedding permission: that is the use of an installed font, not a copy in a document.
        if (localTotal + read.bytes.size() <= limit) {
            localTotal += read.bytes.size();
            fonts.local.append(read.bytes);
        }
        if (docx::embeddingOf(read.bytes) != docx::Embedding::Allowed)
            continue;
        if (total + read.bytes.size() > limit) {
            fonts.uncarried.documentFull.append(path);
            continue;
        }
        total += read.bytes.size();
        carriedBytes[name].append({read.bytes, documentName});
        fonts.files.append({documentName, read.bytes});
    }
    return fonts;
}

// The files documents shown since the application object was made could not carry for their
// size, each once, in the order met.
struct UncarriedRecord
{
    UncarriedFonts fonts;
    QSet<QString> seen; // so that noting each file of 20,000 stays linear
};

UncarriedRecord &uncarriedRecord()
{
    static UncarriedRecord record;
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

QString &destination()
{
    static QString path;
    return path;
}

void show(TypedDocument &typed)
{
    docx::Document document = typed.document;
    // Each file once, in the order the document first uses it, so that of two files of one name
    // the first keeps it.
    QList<std::pair<QString, QString>> files;
    QSet<QString> seen;
    for (const docx::Paragraph &paragraph : std::as_const(document.paragraphs))
        for (const docx::Run &run : paragraph.runs)
            if (!run.format.file.isEmpty() && !seen.contains(run.format.file)) {
                seen.insert(run.format.file);
                files.append({run.format.file, run.format.font});
            }
    const RunFonts fonts = runFontFiles(files);
    // A font from a file takes the name the document gives that file; one found by name takes its
    // plain family name.
    const auto rename = [&fonts](docx::Format &format) {
        format.font = format.file.isEmpty() ? plainFamily(format.font) : fonts.names.value(format.file, format.font);
    };
    for (docx::Paragraph &paragraph : document.paragraphs) {
        rename(paragraph.mark);
        for (docx::Run &run : paragraph.runs)
            rename(run.format);
    }

    UncarriedRecord &record = uncarriedRecord();
    const auto noteTooLarge = [&] {
        const auto note = [&record](const QStringList &files, QStringList &into) {
            for (const QString &file : files)
                if (!record.seen.contains(file)) {
                    record.seen.insert(file);
                    into.append(file);
                }
        };
        note(fonts.uncarried.tooLarge, record.fonts.tooLarge);
        note(fonts.uncarried.documentFull, record.fonts.documentFull);
    };
    // A document for a given file is written there, whole or not at all, and left unopened.
    if (!destination().isEmpty()) {
        docx::write(document, fonts.files, destination());
        typed.shown = true;
        noteTooLarge();
        return;
    }

    // A unique name, taken before the document is written in its place.
    const QString folder = prepareDocumentFolder();
    QTemporaryFile placeholder(folder + QStringLiteral("/Glyphworks-XXXXXX.docx"));
    placeholder.setAutoRemove(false);
    if (!placeholder.open())
        throw DocumentFolderError(DocumentFolderError::Failed, folder, placeholder.errorString());
    const QString path = placeholder.fileName();
    placeholder.close();
    try {
        docx::write(document, fonts.files, path);
    } catch (const util::Error &e) {
        QFile::remove(path);
        throw DocumentFolderError(DocumentFolderError::Failed, folder, e.message());
    }
    // Writer may replace a font the document carries (one with CFF outlines, .otf) and cannot
    // show one that may not travel in it; the fonts handed to a Writer this program starts show.
    const QString fontConfiguration = fonts.local.isEmpty()
                                          ? QString()
                                          : platform::writeFontConfiguration(folder, fonts.local);
    typed.shown = true;
    noteTooLarge();
    platform::documentOpener().openAsNewWithFonts(path, fontConfiguration);
}

constexpr char kProgramFolder[] = "glyphworks";
constexpr char kDocumentsFolder[] = "documents";
constexpr char kDocumentPath[] = "glyphworks/documents";

// The user's cache folder by the XDG rule: $XDG_CACHE_HOME when it is an absolute path, else
// $HOME/.cache when HOME is one (a relative one is ignored); empty when neither is.
QString cacheFolder()
{
    const QString xdg = util::decodePath(qgetenv("XDG_CACHE_HOME"));
    if (xdg.startsWith(QLatin1Char('/')))
        return xdg;
    const QString home = util::decodePath(qgetenv("HOME"));
    if (home.startsWith(QLatin1Char('/')))
        return home == QLatin1String("/") ? QStringLiteral("/.cache") : home + QStringLiteral("/.cache");
    return {};
}

// An open descriptor, closed with its owner.
struct Descriptor
{
    int fd = -1;
    explicit Descriptor(int descriptor)
        : fd(descriptor)
    {
    }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    explicit operator bool() const { return fd >= 0; }
};

// Opens the folder `name` in the folder `parent`, never following a link, and only when it is
// the user's own; with `create`, makes it first when missing, readable by the user alone. Returns
// the descriptor, or -1 with errno set (EPERM for another user's folder).
int openOwnFolder(int parent, const char *name, bool create)
{
    const bool made = create && ::mkdirat(parent, name, 0700) == 0;
    if (create && !made && errno != EEXIST)
        return -1;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    // Only a folder made here has its mode set: the umask may have taken more than asked.
    if (made)
        ::fchmod(fd, 0700);
    return fd;
}

class WordApplication : public WordProcessor
{
public:
    // A new, empty document becomes the active one, with the insertion point at its start.
    void documentsAdd() override
    {
        m_documents.push_back(std::make_unique<TypedDocument>());
        m_active = m_documents.back().get();
    }

    void setOrientation(PageOrientation orientation) override
    {
        active().document.landscape = orientation == PageOrientation::Landscape;
    }

    void setFontName(const QString &name) override
    {
        docx::Format &format = active().format;
        format.font = name;
        format.file.clear();
    }

    void setFontFile(const QString &path) override { active().format.file = path; }

    void setFontSize(int points) override
    {
        docx::Format &format = active().format;
        if (points < 1 || points > docx::kMaxFontSize)
            throw util::Error(QStringLiteral("The font size %1 is out of range (1 to %2 points).")
                                      .arg(points)
                                      .arg(docx::kMaxFontSize));
        format.size = points;
    }

    void setFontBold(bool bold) override { active().format.bold = bold; }

    void setFontItalic(bool italic) override { active().format.italic = italic; }

    void typeText(const QString &text) override
    {
        TypedDocument &typed = active();
        typed.document.paragraphs.last().runs.append({text, typed.format});
    }

    void typeParagraph() override
    {
        TypedDocument &typed = active();
        // The ended paragraph's mark takes the font in force; the new paragraph starts with it.
        typed.document.paragraphs.last().mark = typed.format;
        typed.document.paragraphs.append(docx::Paragraph{{}, typed.format});
    }

    void setVisible(bool visible) override
    {
        m_visible = visible;
        // Showing the application shows each document not shown yet; a document keeps being
        // shown once it is, whatever is typed into it later.
        if (m_visible)
            for (const auto &document : m_documents)
                if (!document->shown)
                    show(*document);
    }

private:
    TypedDocument &active() const
    {
        if (!m_active)
            throw util::Error(QStringLiteral("No document is open."));
        return *m_active;
    }

    std::vector<std::unique_ptr<TypedDocument>> m_documents;
    TypedDocument *m_active = nullptr;
    bool m_visible = false;
};

WordApplicationFactory &factoryInPlace()
{
    static WordApplicationFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<WordProcessor> createWordApplication()
{
    if (destination().isEmpty() && !platform::documentOpener().available())
        throw util::Error(QStringLiteral("No word processor is installed."));
    uncarriedRecord() = {};
    return std::make_unique<WordApplication>();
}

WordApplicationFactory setWordApplicationFactory(WordApplicationFactory factory)
{
    return std::exchange(factoryInPlace(), std::move(factory));
}

std::unique_ptr<WordProcessor> startWordApplication()
{
    const WordApplicationFactory &factory = factoryInPlace();
    std::unique_ptr<WordProcessor> word = factory ? factory() : createWordApplication();
    if (!word)
        throw util::Error(QStringLiteral("No word processor could be started."));
    return word;
}

UncarriedFonts takeUncarriedFontFiles()
{
    return std::exchange(uncarriedRecord(), {}).fonts;
}

qint64 setMaxCarriedFontBytes(qint64 bytes)
{
    return std::exchange(carriedFontLimit(), bytes > 0 ? bytes : kMaxCarriedFontBytes);
}

void setDocumentDestination(const QString &path)
{
    destination() = path;
}

QString documentDestination()
{
    return destination();
}

QString documentFolder()
{
    const QString folder = cacheFolder();
    return folder.isEmpty() ? folder : folder + QLatin1Char('/') + QLatin1String(kDocumentPath);
}

QString prepareDocumentFolder()
{
    const QString cache = cacheFolder();
    if (cache.isEmpty())
        throw DocumentFolderError(DocumentFolderError::NoCacheFolder, QString(),
                                  QStringLiteral("No folder for documents is known: neither XDG_CACHE_HOME nor HOME "
                                                 "is set to an absolute path."));
    const QString folder = documentFolder();
    const auto failed = [&folder](int error) {
        if (error == ELOOP || error == ENOTDIR || error == EPERM)
            throw DocumentFolderError(DocumentFolderError::NotOwnFolder, folder,
                                      QStringLiteral("No document can be made in %1: it is a link, no folder, or "
                                                     "another user's folder.").arg(folder));
        throw DocumentFolderError(DocumentFolderError::Failed, folder, qt_error_string(error));
    };
    // The cache folder is the user's own choice, a link or not; opening it tells whether making
    // it (when missing) worked.
    QDir().mkpath(cache);
    const Descriptor base(::open(util::encodePath(cache).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!base)
        failed(errno);
    const Descriptor program(openOwnFolder(base.fd, kProgramFolder, true));
    if (!program)
        failed(errno);
    const Descriptor documents(openOwnFolder(program.fd, kDocumentsFolder, true));
    if (!documents)
        failed(errno);
    return folder;
}

int removeOldDocuments(const QDateTime &before)
{
    const QString cache = cacheFolder();
    if (cache.isEmpty())
        return 0;
    const Descriptor base(::open(util::encodePath(cache).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Descriptor program(base ? openOwnFolder(base.fd, kProgramFolder, false) : -1);
    const Descriptor documents(program ? openOwnFolder(program.fd, kDocumentsFolder, false) : -1);
    if (!documents)
        return 0;
    DIR *listing = ::fdopendir(::dup(documents.fd));
    if (!listing)
        return 0;
    // Finished documents end in ".docx"; an unfinished one of an older version of the program
    // carries the writer's temporary suffix after it. The font folders go by their own rule
    // (platform::removeUnusedFontCopies()): a word processor still open reads its fonts as it
    // needs them, whatever became of its document.
    const qint64 documentsBefore = before.toSecsSinceEpoch();
    int removed = 0;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        struct stat st;
        if (!name.startsWith("Glyphworks-") || !name.contains(".docx")
            || ::fstatat(documents.fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != ::geteuid())
            continue;
        if (S_ISREG(st.st_mode) && st.st_mtime < documentsBefore && ::unlinkat(documents.fd, name.constData(), 0) == 0)
            ++removed;
    }
    ::closedir(listing);
    return removed + platform::removeUnusedFontCopies(documentFolder());
}

} // namespace output
