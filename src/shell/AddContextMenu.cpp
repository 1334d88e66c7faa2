#include "shell/AddContextMenu.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include "shell/VersionInfo.h"

namespace veltra {
namespace {

// The MIME types registered for the extensions; the database's fallback for unknown names
// (application/octet-stream) means none.
QStringList RegisteredTypes(const std::string& extensions)
{
    QMimeDatabase database;
    QStringList types;
    for (const QString& item : QString::fromStdString(extensions).split(',')) {
        const QString extension = item.trimmed();
        if (extension.isEmpty())
            continue;
        const QMimeType type =
            database.mimeTypeForFile("x" + extension, QMimeDatabase::MatchExtension);
        if (type.isValid() && !type.isDefault() && !types.contains(type.name()))
            types.append(type.name());
    }
    return types;
}

// An action id for desktop files: letters, digits and hyphens.
QString ActionId(const QString& verb)
{
    QString id;
    for (QChar c : verb.toLower())
        id += c.isLetterOrNumber() && c.unicode() < 128 ? c : QChar('-');
    return id;
}

void WriteAtomically(const QString& path, const QString& text, bool executable)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(text.toUtf8());
    if (!file.commit())
        return;
    // Plasma runs a service menu from the user's folder only when it is marked executable.
    if (executable)
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup |
                                        QFile::ExeOther);
}

} // namespace

std::string DesktopExecLine(const std::string& executable)
{
    // Inside a quoted argument ", `, $ and \ take a backslash; the value as a whole is a
    // desktop-entry string, where a backslash is written twice; a literal % is written twice.
    QString quoted = "\"";
    for (QChar c : QString::fromStdString(executable)) {
        if (c == '"' || c == '`' || c == '$')
            quoted += QString("\\\\") + c;
        else if (c == '\\')
            quoted += "\\\\\\\\";
        else if (c == '%')
            quoted += "%%";
        else
            quoted += c;
    }
    return (quoted + "\" %f").toStdString();
}

void RegisterShellVerb(const std::string& verb, const std::string& extensions,
                       const std::string& executable)
{
    const QStringList types = RegisteredTypes(extensions);
    if (types.isEmpty())
        return;
    const QString program = executable.empty() ? QCoreApplication::applicationFilePath()
                                               : QString::fromStdString(executable);
    if (program.isEmpty())
        return;
    const QString exec = QString::fromStdString(DesktopExecLine(program.toStdString()));
    const QString mimeTypes = types.join(';') + ';';
    const QString id = version::DesktopId;
    const QString name = QString::fromStdString(verb);
    const QString action = ActionId(name);
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return;

    WriteAtomically(dataHome + "/kio/servicemenus/" + id + "-" + action + ".desktop",
                    "[Desktop Entry]\n"
                    "Type=Service\n"
                    "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
                    "MimeType=" +
                        mimeTypes +
                        "\n"
                        "Actions=" +
                        action +
                        ";\n"
                        "\n"
                        "[Desktop Action " +
                        action +
                        "]\n"
                        "Name=" +
                        name +
                        "\n"
                        "Icon=" +
                        id +
                        "\n"
                        "Exec=" +
                        exec + "\n",
                    true);
    // The same verb as an application entry of its own, hidden from the menus: "Open With"
    // offers it for the type on desktops without service menus, and it never shadows the
    // installed entry of the program, which lists all the data types.
    WriteAtomically(dataHome + "/applications/" + id + "-" + action + ".desktop",
                    "[Desktop Entry]\n"
                    "Type=Application\n"
                    "Name=" +
                        name +
                        "\n"
                        "Comment=Open in " +
                        version::ProductName +
                        "\n"
                        "Icon=" +
                        id +
                        "\n"
                        "Exec=" +
                        exec +
                        "\n"
                        "Terminal=false\n"
                        "NoDisplay=true\n"
                        "MimeType=" +
                        mimeTypes + "\n",
                    false);
}

} // namespace veltra
