// Telling what went wrong: the streams a render pass could not decode completely, and the
// unattended run that nobody watches, which ends with a status a script can test.
#include <filesystem>

#include "app/VeltraForm.h"
#include "base/Failure.h"
#include "mapping/zorCartography.h"
#include "settings/SettingsStore.h"

namespace veltra {

void TFormVeltra::ReportStreamProblems()
{
    StreamProblemLines.clear();
    for (const TStreamProblem& problem : Streams.Problems())
        StreamProblemLines.push_back(std::filesystem::path(problem.FileName).filename().string() +
                                     ": " + problem.Reason);
    std::vector<std::string> status = Notices;
    status.insert(status.end(), StreamProblemLines.begin(), StreamProblemLines.end());
    view_.ShowStreamProblems(status);
    std::vector<std::string>& lines = DiagnosticLines();
    lines.insert(lines.end(), StreamProblemLines.begin(), StreamProblemLines.end());
    ShowFlaggedLines();
}

void TFormVeltra::CollectNotices()
{
    Notices = DefaultSettingsStore()->Notices();
    if (Cartog && !Cartog->LoadProblem.empty())
        Notices.push_back(Cartog->LoadProblem);
}

// Nobody is there to close the window or to read a box: whatever fails, the run ends.
void TFormVeltra::RunUnattended(bool found)
{
    int status = UnattendedOk;
    try {
        if (!found) {
            view_.ShowError("File not found: " + FileName);
            status = UnattendedInputMissing;
        } else {
            TabControlSensorChange();
            // The settings' notices were told as the program started.
            if (Cartog && !Cartog->LoadProblem.empty())
                view_.ShowError(Cartog->LoadProblem);
            for (const TStreamProblem& problem : Streams.Problems())
                view_.ShowError(problem.FileName + ": " + problem.Reason);
            if (PictureFileName.empty()) {
                view_.ShowError("Nothing to save: no stream could be opened for " + FileName);
                status = UnattendedInputMissing;
            } else {
                SaveDefaultImage();
                if (Streams.NothingDecoded())
                    status = UnattendedNothingDecoded;
            }
        }
    } catch (...) {
        view_.ShowError(CaughtFailure().Message);
        status = UnattendedSaveFailed;
    }
    view_.SetExitCode(status);
    view_.Close();
}

} // namespace veltra
