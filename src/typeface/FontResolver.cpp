#include "typeface/FontResolver.h"

#include "typeface/SystemFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <memory>
#include <optional>

namespace platform {
namespace {

// fontconfig objects are owned through these, so every return path releases them.
struct PatternDeleter
{
    void operator()(FcPattern *p) const { FcPatternDestroy(p); }
};
struct ObjectSetDeleter
{
    void operator()(FcObjectSet *o) const { FcObjectSetDestroy(o); }
};
struct FontSetDeleter
{
    void operator()(FcFontSet *s) const { FcFontSetDestroy(s); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;
using ObjectSetPtr = std::unique_ptr<FcObjectSet, ObjectSetDeleter>;
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDeleter>;

/// The form of a font name that lookups compare, as fontconfig compares full names: letter case
/// and blanks do not count.
QString fontLookupKey(const QString &name)
{
    QString key(name.size(), Qt::Uninitialized);
    qsizetype length = 0;
    for (const QChar c : name)
        if (c != QLatin1Char(' '))
            key[length++] = c;
    key.truncate(length);
    return std::move(key).toCaseFolded();
}

/// The value `index` of the string property `object` of `pattern`; empty when it has none.
QString fcString(FcPattern *pattern, const char *object, int index = 0)
{
    FcChar8 *value = nullptr;
    if (FcPatternGetString(pattern, object, index, &value) != FcResultMatch || !value)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(value));
}

/// A face as fontconfig describes it. Family and style are the first of their values, the
/// ones under which Qt's fontconfig database registers the face.
struct FcFace
{
    QString family;
    QString style;
    QString foundry;
    int width = FC_WIDTH_NORMAL;
};

/// How a list entry name is drawn.
struct Resolution
{
    /// Qt family name; qualified as "Family [Foundry]" when Qt keeps the family per foundry.
    /// Empty for an empty name, which draws in the default font.
    QString family;
    /// Style name of the face the name stands for; empty when the name is a family name (or
    /// unknown), where the drawing style alone picks the face.
    QString style;
    int weight = QFont::Normal;
    QFont::Style slant = QFont::StyleNormal;
    /// Width of the face as a QFont stretch; 0 (any) for normal width.
    int stretch = QFont::AnyStretch;
    /// False when no face carries the name, so that Qt draws a fallback of its choosing.
    bool known = true;
};

/// The faces among `found` that a lookup of `fullName` stands for: `exact` when a full name of
/// the face equals `fullName` apart from letter case, `loose` for the looser matches of
/// fontconfig, which also ignores blanks. Among equals the last one wins: in the set of added
/// files that is the latest addition, the one Qt's database also lets win.
struct Candidates
{
    std::optional<FcFace> exact;
    std::optional<FcFace> loose;
};

Candidates pickFaces(FcFontSet *found, const QString &fullName)
{
    Candidates candidates;
    for (int i = 0; found && i < found->nfont; ++i) {
        FcPattern *pattern = found->fonts[i];
        FcFace face;
        face.family = fcString(pattern, FC_FAMILY);
        if (face.family.isEmpty())
            continue;
        face.style = fcString(pattern, FC_STYLE);
        face.foundry = fcString(pattern, FC_FOUNDRY);
        if (FcPatternGetInteger(pattern, FC_WIDTH, 0, &face.width) != FcResultMatch)
            face.width = FC_WIDTH_NORMAL;
        bool isExact = false;
        // A face may carry its full name in several languages; any of them counts.
        for (int k = 0;; ++k) {
            const QString name = fcString(pattern, FC_FULLNAME, k);
            if (name.isEmpty())
                break;
            if (name.compare(fullName, Qt::CaseInsensitive) == 0) {
                isExact = true;
                break;
            }
        }
        (isExact ? candidates.exact : candidates.loose) = face;
    }
    return candidates;
}

/// The full names of the faces fontconfig knows, by lookup key, so that a name is looked up among
/// the few faces that may match it instead of among all of them. Built from fontconfig's sets as
/// they stand; valid until the font database changes.
class FullNameIndex
{
public:
    /// Indexes the application set (fonts registered by the program itself) and the system set.
    void build()
    {
        m_faces.clear();
        const FcSetName setNames[2] = {FcSetApplication, FcSetSystem};
        for (int s = 0; s < 2; ++s) {
            FcFontSet *set = FcConfigGetFonts(nullptr, setNames[s]); // owned by fontconfig
            for (int i = 0; set && i < set->nfont; ++i) {
                QString previousKey;
                for (int k = 0;; ++k) {
                    const QString name = fcString(set->fonts[i], FC_FULLNAME, k);
                    if (name.isEmpty())
                        break;
                    // A face is listed once under each key, however many of its names share it.
                    const QString key = fontLookupKey(name);
                    if (key == previousKey)
                        continue;
                    QList<IndexedFace> &faces = m_faces[key];
                    if (faces.isEmpty() || faces.constLast().pattern != set->fonts[i])
                        faces.append({set->fonts[i], s});
                    previousKey = key;
                }
            }
        }
    }

    /// Looks `fullName` up as fontconfig's listing would over all faces, but only among the faces
    /// indexed under its key. An exact match wins over a loose one; among matches of one kind, a
    /// font registered by the program wins over an installed face.
    std::optional<FcFace> find(const QString &fullName) const
    {
        const auto entry = m_faces.constFind(fontLookupKey(fullName));
        if (entry == m_faces.constEnd())
            return std::nullopt;
        PatternPtr pattern(FcPatternCreate());
        ObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FULLNAME, FC_FOUNDRY, FC_WIDTH, FC_FILE,
                                              FC_INDEX, static_cast<char *>(nullptr)));
        if (!pattern || !objects)
            return std::nullopt;
        const QByteArray utf8 = fullName.toUtf8();
        if (!FcPatternAddString(pattern.get(), FC_FULLNAME, reinterpret_cast<const FcChar8 *>(utf8.constData())))
            return std::nullopt;

        // The candidates are split by the set they come from, in the sets' own order, and
        // listed by fontconfig itself, so its rules (and its order of results) decide as they
        // would over the whole set.
        FontSetPtr candidates[2] = {FontSetPtr(FcFontSetCreate()), FontSetPtr(FcFontSetCreate())};
        for (const IndexedFace &face : *entry) {
            FcPatternReference(face.pattern);
            if (!candidates[face.set] || !FcFontSetAdd(candidates[face.set].get(), face.pattern))
                FcPatternDestroy(face.pattern);
        }
        Candidates found[2];
        for (int s = 0; s < 2; ++s) {
            FcFontSet *set = candidates[s].get();
            if (set && set->nfont > 0) {
                FontSetPtr listed(FcFontSetList(nullptr, &set, 1, pattern.get(), objects.get()));
                found[s] = pickFaces(listed.get(), fullName);
            }
        }
        for (const std::optional<FcFace> &face : {found[0].exact, found[1].exact, found[0].loose, found[1].loose})
            if (face)
                return face;
        return std::nullopt;
    }

    void clear() { m_faces.clear(); }

private:
    /// A face of fontconfig's set `set` (0: application, 1: system); fontconfig owns the pattern.
    struct IndexedFace
    {
        FcPattern *pattern;
        int set;
    };
    // In the sets' order: application faces first, each set's faces in its own order.
    QHash<QString, QList<IndexedFace>> m_faces;
};

/// Resolves names and remembers the results until the font database changes.
class Resolver
{
public:
    Resolution resolve(const QString &name)
    {
        watchFontDatabase();
        const auto cached = m_cache.constFind(name);
        if (cached != m_cache.constEnd())
            return *cached;
        const Resolution resolution = lookUp(name);
        m_cache.insert(name, resolution);
        return resolution;
    }

private:
    /// Empties the cache whenever Qt's font database changes: Qt announces every added and
    /// removed application font, and an invalidation of the whole database.
    void watchFontDatabase()
    {
        if (m_watched == qGuiApp)
            return;
        forget();
        m_watched = qGuiApp;
        if (qGuiApp)
            QObject::connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, qGuiApp, [this] { forget(); });
    }

    void forget()
    {
        m_cache.clear();
        m_families.clear();
        m_familiesLoaded = false;
        m_fullNames.clear();
        m_fullNamesIndexed = false;
    }

    /// Loads the family names Qt draws, case-folded, each foundry-qualified name also by its
    /// plain family. Asking Qt for them also makes it populate its database again after a
    /// removal, which is when it gives the files still added back to fontconfig.
    void loadFamilies()
    {
        if (m_familiesLoaded)
            return;
        const QStringList families = QFontDatabase::families();
        m_families.reserve(families.size() * 2);
        for (const QString &family : families) {
            m_families.insert(family.toCaseFolded());
            m_families.insert(familyWithoutFoundry(family).toCaseFolded());
        }
        m_familiesLoaded = true;
    }

    /// Looks a full name up, indexing fontconfig's faces first when they changed.
    std::optional<FcFace> findFaceByFullName(const QString &fullName)
    {
        if (!m_fullNamesIndexed) {
            m_fullNames.build();
            m_fullNamesIndexed = true;
        }
        return m_fullNames.find(fullName);
    }

    bool isFamily(const QString &name) const { return m_families.contains(name.toCaseFolded()); }

    Resolution lookUp(const QString &name)
    {
        Resolution resolution;
        resolution.family = name;
        if (name.isEmpty())
            return resolution;
        loadFamilies();
        if (isFamily(name))
            return resolution;
        const std::optional<FcFace> face = findFaceByFullName(name);
        if (!face) {
            resolution.known = false;
            return resolution;
        }

        QString family = face->family;
        // Once a family comes from more than one foundry (an added file beside the installed
        // ones, say), Qt lists it per foundry, and only the qualified name reliably reaches
        // this foundry's faces; the plain name draws the first foundry's.
        const QString qualified = family + QLatin1String(" [") + face->foundry + QLatin1Char(']');
        if (!face->foundry.isEmpty() && isFamily(qualified))
            family = qualified;
        else if (!isFamily(family)) {
            resolution.known = false; // fontconfig knows the face but Qt does not draw it
            return resolution;
        }

        // Qt's own record of the face supplies the weight and slant that go with its style
        // name; matching by style name alone can pick another foundry's face.
        const QFont registered = QFontDatabase::font(family, face->style, 12);
        resolution.family = family;
        resolution.style = registered.styleName().isEmpty() ? face->style : registered.styleName();
        resolution.weight = registered.weight();
        resolution.slant = registered.style();
        if (face->width != FC_WIDTH_NORMAL)
            resolution.stretch = qBound(1, face->width, 4000);
        return resolution;
    }

    QHash<QString, Resolution> m_cache;
    QSet<QString> m_families;
    bool m_familiesLoaded = false;
    FullNameIndex m_fullNames;
    bool m_fullNamesIndexed = false;
    QPointer<QGuiApplication> m_watched;
};

Resolver &resolver()
{
    static Resolver instance;
    return instance;
}

} // namespace

QFont resolveFont(const QString &name, qreal pointSize, bool bold, bool italic)
{
    const Resolution r = resolver().resolve(name);

    QFont font;
    // One family, never split at commas as the QFont(QString) constructor would.
    if (!r.family.isEmpty())
        font.setFamilies({r.family});
    if (r.style.isEmpty()) {
        // A family name: the drawing style picks the family's bold or italic face, or Qt
        // synthesises it.
        if (bold)
            font.setWeight(QFont::Bold);
        if (italic)
            font.setStyle(QFont::StyleItalic);
    } else {
        const bool addBold = bold && r.weight < QFont::Bold;
        const bool addItalic = italic && r.slant == QFont::StyleNormal;
        font.setWeight(QFont::Weight(addBold ? int(QFont::Bold) : r.weight));
        font.setStyle(addItalic ? QFont::StyleItalic : r.slant);
        if (addBold || addItalic) {
            // The face lacks what the style asks for: without a style name Qt matches the
            // family's face closest in weight, slant and width, and synthesises the rest.
            if (r.stretch != QFont::AnyStretch)
                font.setStretch(r.stretch);
        } else {
            font.setStyleName(r.style);
        }
    }
    // A size of 0 leaves the default size, as a drawing font of height 0 does; QFont would
    // warn about it and ignore it anyway.
    if (pointSize > 0 && std::isfinite(pointSize))
        font.setPointSizeF(pointSize);
    return font;
}

} // namespace platform
