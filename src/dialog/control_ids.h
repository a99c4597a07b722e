// The ids of the two colour settings dialogs and of their controls, shared by the
// dialog logic and the description the templates are generated from.
#pragma once

#include <cstdint>

namespace qclr::dialog {

// The dialogs: the value of Q_ClrDlg's dialogKind and the template resource id.
inline constexpr int32_t kCmykDialogKind = 1;
inline constexpr int32_t kLabDialogKind = 2;
inline constexpr int32_t kCmykTemplateId = 114;
inline constexpr int32_t kLabTemplateId = 128;

// The results the OK and Cancel buttons end the dialog with (their ids).
inline constexpr int32_t kIdOk = 1;
inline constexpr int32_t kIdCancel = 2;

// Both dialogs.
inline constexpr int32_t kIdMethod = 116;             // drop-down list of methods
inline constexpr int32_t kIdSourceProfile = 117;      // edit: srcProfileName
inline constexpr int32_t kIdBrowseSource = 118;
inline constexpr int32_t kIdDestinationProfile = 119;  // edit: dstProfileName
inline constexpr int32_t kIdBrowseDestination = 120;
inline constexpr int32_t kIdWhitePoint = 123;  // drop-down list, sorted
inline constexpr int32_t kIdWhiteX = 124;
inline constexpr int32_t kIdWhiteY = 125;
inline constexpr int32_t kIdBgrOrder = 1001;  // check box
inline constexpr int32_t kIdFromRgb = 1002;   // check box

// The CMYK dialog.
inline constexpr int32_t kIdTable = 121;  // edit: tableFileName
inline constexpr int32_t kIdBrowseTable = 122;
inline constexpr int32_t kIdBlackGeneration = 126;  // edit (GCR)
inline constexpr int32_t kIdBlackGenerationSpin = 127;

// The Lab dialog.
inline constexpr int32_t kIdTablesGroup = 129;
inline constexpr int32_t kIdLabTable = 130;  // edit: table for RGB to Lab
inline constexpr int32_t kIdBrowseLabTable = 131;
inline constexpr int32_t kIdRgbTable = 132;  // edit: table for Lab to RGB
inline constexpr int32_t kIdBrowseRgbTable = 133;
inline constexpr int32_t kIdRgbToLabRadio = 134;
inline constexpr int32_t kIdLabToRgbRadio = 135;

// The longest entry the chromaticity boxes take.
inline constexpr int32_t kChromaticityCharacters = 8;
// The range of the black-generation (GCR) value.
inline constexpr int32_t kBlackGenerationMax = 1000;

}  // namespace qclr::dialog
