#include "platform/OVFileAssociation.h"

#include "platform/OVSafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace ov {

namespace {

constexpr int kToolTimeoutMs = 60000;

// A base folder from its XDG variable, else the fallback under HOME; a
// relative value is ignored, as the freedesktop rules say.
QString XdgHome(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(QDir::homePath() + u'/' + fallback);
}

QString DataHome() { return XdgHome("XDG_DATA_HOME", u".local/share"_s); }
QString ConfigHome() { return XdgHome("XDG_CONFIG_HOME", u".config"_s); }
QString MimeFolder() { return DataHome() + u"/mime"_s; }
QString ApplicationsFolder() { return DataHome() + u"/applications"_s; }

void SetError(QString *error, const QString &text)
{
    if (error != nullptr)
        *error = text;
}

// Runs one of the freedesktop tools; its standard output in `output`.
bool RunTool(const QString &program, const QStringList &arguments, QString *output, QString *error)
{
    QProcess process;
    process.start(program, arguments);
    const QString step = program + u' ' + arguments.join(u' ');
    if (!process.waitForStarted(kToolTimeoutMs)) {
        SetError(error, step + u": "_s + process.errorString());
        return false;
    }
    if (!process.waitForFinished(kToolTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        const QString detail = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        SetError(error, step + u": "_s + (detail.isEmpty() ? process.errorString() : detail));
        return false;
    }
    if (output != nullptr)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return true;
}

bool WriteFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString why;
    if (ReplaceFileKeepingBackup(path, bytes, {}, why))
        return true;
    SetError(error, path + u": "_s + why);
    return false;
}

bool RemoveFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.exists() || file.remove())
        return true;
    SetError(error, path + u": "_s + file.errorString());
    return false;
}

// A file as it was before a change, so that a failed change can be undone.
struct FileSnapshot {
    QString Path;
    bool Existed = false;
    QByteArray Bytes;
};

FileSnapshot Snapshot(const QString &path)
{
    FileSnapshot shot{path, false, {}};
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        shot.Existed = true;
        shot.Bytes = file.readAll();
    }
    return shot;
}

// Puts the files back and rebuilds both databases from them; errors here
// are not reported over the one that caused the roll-back.
void RollBack(const std::vector<FileSnapshot> &shots)
{
    for (const FileSnapshot &shot : shots) {
        if (shot.Existed)
            WriteFile(shot.Path, shot.Bytes, nullptr);
        else
            QFile::remove(shot.Path);
    }
    RunTool(u"update-mime-database"_s, {MimeFolder()}, nullptr, nullptr);
    RunTool(u"update-desktop-database"_s, {ApplicationsFolder()}, nullptr, nullptr);
}

std::vector<FileSnapshot> SnapshotAll()
{
    return {Snapshot(OvtMimePackagePath()), Snapshot(OvtDesktopEntryPath()), Snapshot(UserMimeAppsListPath()),
            Snapshot(ProgramIconPath())};
}

QByteArray MimePackageText()
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                             "  <mime-type type=\"text/x-orvane-ovt\">\n"
                             "    <sub-class-of type=\"text/plain\"/>\n"
                             "    <comment>Orvane Text</comment>\n"
                             "    <icon name=\"orvane\"/>\n"
                             "    <glob pattern=\"*.ovt\"/>\n"
                             "  </mime-type>\n"
                             "</mime-info>\n");
}

// One argument of an Exec line, quoted when it holds a reserved character:
// inside the quotes `"`, `` ` ``, `$` and `\` take a backslash. A literal `%`
// is doubled either way.
QString QuoteExecArgument(const QString &argument)
{
    static const QString reserved = u" \t\n\"'\\><~|&;$*?#()`"_s;
    const bool plain = std::none_of(argument.begin(), argument.end(),
                                    [](QChar c) { return reserved.contains(c); });
    if (plain)
        return QString(argument).replace(u'%', u"%%"_s);
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
        if (c == u'%')
            quoted += u'%';
    }
    return u'"' + quoted + u'"';
}

// The string escapes of a desktop entry value, applied over the quoting.
QString EscapeEntryValue(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\': escaped += u"\\\\"_s; break;
        case u'\n': escaped += u"\\n"_s; break;
        case u'\r': escaped += u"\\r"_s; break;
        case u'\t': escaped += u"\\t"_s; break;
        default: escaped += c;
        }
    }
    return escaped;
}

QByteArray DesktopEntryText(const QString &exec)
{
    const QString text = u"[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name=Orvane\n"
                         "Comment=Orvane Text\n"
                         "Icon="_s
                         + EscapeEntryValue(ProgramIconPath()) + u"\nExec="_s + exec + u"\nMimeType="_s
                         + OvtMimeType()
                         + u";\n"
                           "NoDisplay=true\n"
                           "Terminal=false\n"_s;
    return text.toUtf8();
}

// The Exec line of the entry with the program argument left out; it starts
// with the blank after the program, and a switch counts only with a blank
// after it too, so one at the very end of the line is none.
QString ExecSwitches(const QString &exec)
{
    qsizetype i = 0;
    if (exec.startsWith(u'"')) {
        for (i = 1; i < exec.size() && exec.at(i) != u'"'; ++i)
            if (exec.at(i) == u'\\')
                ++i;
        ++i;
    } else {
        i = exec.indexOf(u' ');
        if (i < 0)
            i = exec.size();
    }
    return exec.mid(i);
}

QString EntryExecLine()
{
    QFile file(OvtDesktopEntryPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5)).trimmed();
    return {};
}

// Drops this program's entry from every association line; a line left
// without handlers goes.
bool StripMimeAppsList(QString *error)
{
    QFile file(UserMimeAppsListPath());
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, file.fileName() + u": "_s + file.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    file.close();
    QStringList kept;
    bool changed = false;
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(u'[') || eq < 0 || !line.contains(OvtDesktopEntryName())) {
            kept.append(line);
            continue;
        }
        QStringList handlers = line.mid(eq + 1).split(u';', Qt::SkipEmptyParts);
        changed |= handlers.removeAll(OvtDesktopEntryName()) > 0;
        if (!handlers.isEmpty())
            kept.append(line.left(eq + 1) + handlers.join(u';') + u';');
    }
    return !changed || WriteFile(file.fileName(), kept.join(u'\n').toUtf8(), error);
}

bool UpdateDatabases(QString *error)
{
    QDir().mkpath(MimeFolder() + u"/packages"_s);
    QDir().mkpath(ApplicationsFolder());
    return RunTool(u"update-mime-database"_s, {MimeFolder()}, nullptr, error)
           && RunTool(u"update-desktop-database"_s, {ApplicationsFolder()}, nullptr, error);
}

QString QueryDefault()
{
    QString handler;
    if (!RunTool(u"xdg-mime"_s, {u"query"_s, u"default"_s, OvtMimeType()}, &handler, nullptr))
        return {};
    return handler;
}

} // namespace

QString OvtMimeType() { return u"text/x-orvane-ovt"_s; }
QString OvtDesktopEntryName() { return u"orvane-ovt.desktop"_s; }
QString OvtMimePackagePath() { return MimeFolder() + u"/packages/orvane-ovt.xml"_s; }
QString OvtDesktopEntryPath() { return ApplicationsFolder() + u'/' + OvtDesktopEntryName(); }
QString UserMimeAppsListPath() { return ConfigHome() + u"/mimeapps.list"_s; }
QString ProgramIconPath() { return DataHome() + u"/icons/hicolor/256x256/apps/orvane.png"_s; }

QString AssociationExecLine(const QString &programPath, AssociationKind kind)
{
    QString exec = QuoteExecArgument(programPath);
    if (kind == AssociationKind::Run)
        exec += u" -R"_s;
    else if (kind == AssociationKind::RunShown)
        exec += u" -A"_s;
    return EscapeEntryValue(exec + u" %f"_s);
}

AssociationKind QueryAssociation()
{
    if (QueryDefault() != OvtDesktopEntryName())
        return AssociationKind::None;
    const QString exec = EntryExecLine();
    if (exec.isEmpty())
        return AssociationKind::None;
    const QString switches = ExecSwitches(exec);
    if (switches.contains(u" -A "_s))
        return AssociationKind::RunShown;
    if (switches.contains(u" -R "_s))
        return AssociationKind::Run;
    return AssociationKind::Edit;
}

bool RegisterAssociation(AssociationKind kind, const QString &programPath, const QString &iconSource,
                         QString *error)
{
    QFile icon(iconSource);
    if (!icon.open(QIODevice::ReadOnly)) {
        SetError(error, iconSource + u": "_s + icon.errorString());
        return false;
    }
    const std::vector<FileSnapshot> shots = SnapshotAll();
    const bool done =
        WriteFile(ProgramIconPath(), icon.readAll(), error)
        && WriteFile(OvtMimePackagePath(), MimePackageText(), error)
        && WriteFile(OvtDesktopEntryPath(), DesktopEntryText(AssociationExecLine(programPath, kind)), error)
        && UpdateDatabases(error)
        && RunTool(u"xdg-mime"_s, {u"default"_s, OvtDesktopEntryName(), OvtMimeType()}, nullptr, error);
    if (done && QueryAssociation() == kind)
        return true;
    if (done)
        SetError(error, u"xdg-mime query default "_s + OvtMimeType() + u": "_s + QueryDefault());
    RollBack(shots);
    return false;
}

bool RemoveAssociation(QString *remaining, QString *error)
{
    const std::vector<FileSnapshot> shots = SnapshotAll();
    // Nothing of ours installed: the databases need no rebuilding.
    const bool installed = shots[0].Existed || shots[1].Existed;
    const bool done = RemoveFile(OvtMimePackagePath(), error) && RemoveFile(OvtDesktopEntryPath(), error)
                      && RemoveFile(ProgramIconPath(), error) && StripMimeAppsList(error)
                      && (!installed || UpdateDatabases(error));
    if (!done) {
        RollBack(shots);
        return false;
    }
    if (remaining != nullptr)
        *remaining = QueryDefault();
    return true;
}

} // namespace ov
