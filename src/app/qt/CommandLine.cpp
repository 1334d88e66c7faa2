#include "app/qt/CommandLine.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/VeltraForm.h"
#include "shell/VersionInfo.h"

namespace veltra {

std::string ViewerUsage()
{
    return R"(Usage: Veltra [FILE]
       Veltra FILE save
Shows ATOVS sounder data (HIRS, AMSU-A, AMSU-B/MHS Level 1b, also under the NOAA archive's
names such as NSS.MHSX.NN.D24015.S1118.E1300.B1234567.WI; AAPP Level 1c and 1d; plain or
bzip2) as brightness temperatures on a map.
  Veltra [FILE]       opens the window, with FILE drawn when given
  Veltra FILE save    unattended: draws FILE with the stored settings, saves the picture as
                      FILE.jpg beside it (FILE.l1b.bz2 gives FILE.l1b.jpg) and ends. Any second
                      argument asks for this; "save" is the conventional word. Messages go to
                      standard error and nothing waits for a person; without a display the
                      program runs off-screen.
  --help, --version   print this text or the version and end
A file that could not be decoded completely is named with the reason: under the map in the
window, on standard error as "veltra: FILE: REASON" when unattended ("stopped early: 71 of
141 scan lines hold data": the rest are zeros, not drawn). A picture that cannot be saved is
named with the system's reason. A settings file that cannot be read is kept as
registry.json.damaged beside it, and the defaults are used.
Exit status: 0 success (also when only part of FILE could be decoded), 1 no display for the
window, 3 FILE missing or unreadable, 4 the picture could not be saved, 5 nothing was decoded
from FILE (the picture, outlines only, is still saved). See also veltra(1).
)";
}

std::string NoDisplayMessage()
{
    return "veltra: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
           "Veltra shows its map in a window and needs a display for that.\n"
           "Without a display it can render a file unattended when given two arguments:\n"
           "    veltra FILE save\n"
           "draws FILE with the stored settings, saves the picture as FILE.jpg beside it\n"
           "(FILE.l1b.bz2 gives FILE.l1b.jpg) and ends. See 'Veltra --help'.\n";
}

bool AnswerInformationRequest(const std::vector<std::string>& arguments, std::ostream& out,
                              int& status)
{
    // With a second argument the first is a file name, whatever it looks like.
    if (arguments.size() != 1)
        return false;
    if (arguments[0] == "--help" || arguments[0] == "-h")
        out << ViewerUsage();
    else if (arguments[0] == "--version")
        out << version::ProductName << ' ' << version::FileVersion << '\n';
    else
        return false;
    out.flush();
    status = out ? UnattendedOk : UnattendedSaveFailed;
    return true;
}

void ProvideRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const uid_t user = ::getuid();
    const QByteArray base = QFile::encodeName(QDir::tempPath()) + "/veltra-runtime-";
    // The same folder every time, unless someone else holds that name or it is open to others.
    QByteArray folder = base + QByteArray::number(user);
    struct stat status {};
    const bool made = ::mkdir(folder.constData(), 0700) == 0;
    if (!made && !(::lstat(folder.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
                   status.st_uid == user && (status.st_mode & 0777) == 0700)) {
        folder = base + "XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr)
            return;
    }
    qputenv("XDG_RUNTIME_DIR", folder);
}

} // namespace veltra
