#include "dialog/file_choices.h"

#include <cstring>

#include "dialog/control_ids.h"

namespace qclr::dialog {
namespace {

enum class FileField { kSourceProfile, kDestinationProfile, kTable };

struct FileChoice {
  int32_t dialogKind;
  int32_t button;
  int32_t box;  // shows the chosen name
  const char* title;
  bool profile;  // else an emulation-table image
  FileField field;
};

// The system appends the default extension after a dot of its own, so it is given
// without one.
constexpr platform::OpenFileRequest kProfileFiles{nullptr, "ICC Files (*.ICM)", "*.ICM", "ICM", 0};
constexpr platform::OpenFileRequest kTableFiles{nullptr, "TIFF Files (*.TIF)", "*.TIF", "TIF", 0};

constexpr FileChoice kFileChoices[] = {
    {kCmykDialogKind, kIdBrowseSource, kIdSourceProfile, "Open CMYK Profile", true, FileField::kSourceProfile},
    {kCmykDialogKind, kIdBrowseDestination, kIdDestinationProfile, "Open RGB Profile", true,
     FileField::kDestinationProfile},
    {kCmykDialogKind, kIdBrowseTable, kIdTable, "Open destination RGB image", false, FileField::kTable},
    {kLabDialogKind, kIdBrowseSource, kIdSourceProfile, "Open LAB Profile", true, FileField::kSourceProfile},
    {kLabDialogKind, kIdBrowseDestination, kIdDestinationProfile, "Open RGB Profile", true,
     FileField::kDestinationProfile},
    {kLabDialogKind, kIdBrowseLabTable, kIdLabTable, "Open destination Lab image", false, FileField::kTable},
    {kLabDialogKind, kIdBrowseRgbTable, kIdRgbTable, "Open destination RGB image", false, FileField::kTable},
};

char* FieldOf(ConversionParams& params, FileField field) {
  switch (field) {
    case FileField::kSourceProfile: return params.srcProfileName;
    case FileField::kDestinationProfile: return params.dstProfileName;
    case FileField::kTable: return params.tableFileName;
  }
  return params.tableFileName;
}

}  // namespace

bool BrowseForFile(platform::DialogWindow* dialog, ClrDlgState& state, int32_t button) {
  for (const FileChoice& choice : kFileChoices) {
    if (choice.dialogKind != state.dialogKind || choice.button != button) continue;
    platform::OpenFileRequest request = choice.profile ? kProfileFiles : kTableFiles;
    request.title = choice.title;
    request.options = platform::kOpenFileOverwritePrompt | platform::kOpenFileCreatePrompt |
                      platform::kOpenFileExplorer | platform::kOpenFileLongNames;
    char name[QCLR_FILE_NAME_SIZE] = {};
    if (platform::ShowOpenFileDialog(dialog, request, name, sizeof name)) {
      std::memcpy(FieldOf(*state.params, choice.field), name, sizeof name);
      platform::SetControlText(dialog, choice.box, name);
    }
    return true;
  }
  return false;
}

}  // namespace qclr::dialog
