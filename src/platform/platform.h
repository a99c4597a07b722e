// The platform layer: everything the operating system or the processor provides.
// The core of the library reaches the system only through this interface; posix/
// and win32/ implement it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qclr {

// What the library does when a process loads and unloads it. The platform layer's
// entry point (a constructor/destructor pair on POSIX, DllMain on Windows) calls
// these; the core defines them (api/library.cpp), so the platform layer includes
// nothing above it.
void OnProcessAttach();  // builds the library-wide conversion tables
void OnProcessDetach();  // releases every handle still live, oldest first

}  // namespace qclr

namespace qclr::platform {

// Defined beside the platform's entry point, which builds the conversion tables
// and releases the live handles. The files holding those refer to it, so that a
// program linking them from the static library links the entry point too (an
// archive member nothing refers to is left out, constructor and all).
extern const char kLibraryEntry;

// ---- System error numbers ---------------------------------------------------
// Failures of the functions below are reported with the numbers Windows uses, on
// every platform, so a status passed through to a caller means the same
// everywhere. 0 is success.
inline constexpr int32_t kErrorSuccess = 0;
inline constexpr int32_t kErrorFileNotFound = 2;
inline constexpr int32_t kErrorPathNotFound = 3;
inline constexpr int32_t kErrorTooManyOpenFiles = 4;
inline constexpr int32_t kErrorAccessDenied = 5;
inline constexpr int32_t kErrorNotEnoughMemory = 8;
inline constexpr int32_t kErrorReadFault = 30;
inline constexpr int32_t kErrorGenFailure = 31;
inline constexpr int32_t kErrorSharingViolation = 32;
inline constexpr int32_t kErrorHandleEof = 38;
inline constexpr int32_t kErrorInvalidParameter = 87;
inline constexpr int32_t kErrorFilenameTooLong = 206;
inline constexpr int32_t kErrorArithmeticOverflow = 534;
inline constexpr int32_t kErrorResourceTypeNotFound = 1813;
inline constexpr int32_t kErrorResourceNameNotFound = 1814;
inline constexpr int32_t kErrorCantResolveFilename = 1921;

// The system's one-line message for error `code` (one of the numbers above, or
// any other the platform reports), without a trailing period or line break,
// zero-terminated and cut to `capacity` - 1 characters (capacity at least 1).
void SystemErrorMessage(int32_t code, char* text, size_t capacity);

// ---- The library's own resources -----------------------------------------------
// Read-only data linked into the library (built-in ICC profiles, emulation tables,
// dialog templates), found by a type name and a numeric id. The bytes stay valid
// for as long as the library is loaded.
struct ResourceBytes {
  const uint8_t* data;
  uint32_t size;
};

// Finds resource `id` of `type` ("ICM", "ET", ...; compared without regard to
// case). Returns kErrorSuccess and fills `resource`, or the system's error:
// kErrorResourceTypeNotFound when no resource has that type,
// kErrorResourceNameNotFound when the type has no such id.
int32_t FindLibraryResource(const char* type, int32_t id, ResourceBytes* resource);

// ---- Reading files ------------------------------------------------------------
// A file opened for reading; `handle` is the system's descriptor or handle. The
// object closes its file when it goes out of scope (closing earlier is allowed).
struct ReadOnlyFile {
  intptr_t handle = -1;

  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();
};

// Opens the file at `path` (an 8-bit path as the caller gave it) for reading.
// Returns kErrorSuccess, or e.g. kErrorFileNotFound, kErrorPathNotFound (a folder
// of the path is missing), kErrorAccessDenied (no permission, or not a regular
// file: a folder, a FIFO, a device). Never waits for another process.
int32_t OpenReadOnlyFile(const char* path, ReadOnlyFile* file);

// The file's size in bytes.
int32_t ReadOnlyFileSize(const ReadOnlyFile& file, uint64_t* size);

// Reads exactly `count` bytes at `offset`. A file that ends first gives
// kErrorHandleEof.
int32_t ReadOnlyFileAt(const ReadOnlyFile& file, uint64_t offset, void* buffer, size_t count);

// Closes the file (a file that is not open is ignored) and marks it closed.
void CloseReadOnlyFile(ReadOnlyFile* file);

inline ReadOnlyFile::~ReadOnlyFile() { CloseReadOnlyFile(this); }

// ---- Bitmap storage ---------------------------------------------------------------
// Memory mappings, temporary files, the memory status and the per-thread bitmap
// defaults. Each service can be made to fail from tests (ForceStorageFailure), so
// that every fallback of the bitmap storage runs.

// A memory mapping backed by the system's memory, not by a named file. `handle`
// is the value a bitmap record keeps to release the mapping; `view` its first byte.
struct SharedMemory {
  uint32_t handle;
  uint8_t* view;
};

// Creates a zero-filled read-write mapping of `bytes` bytes. False when the system
// refuses (or `bytes` is 0); nothing is then held.
bool CreateSharedMemory(size_t bytes, SharedMemory* mapping);

// Unmaps `view` (the start of the mapping) and releases the mapping's handle.
void ReleaseSharedMemory(uint32_t handle, void* view);

// Physical memory plus swap space now available, in bytes; 0 when unknown.
uint64_t AvailableMemoryBytes();

// Room for a temporary file's name, the terminating zero included.
inline constexpr size_t kTempNameCapacity = 260;

// Creates a new empty file, open for reading and writing, in the temporary
// directory, named `prefix` followed by a unique part. Stores its handle and the
// full name it was created with. The file is deleted when its handle is released,
// also when the process ends without releasing it (POSIX removes the name at
// once; Windows opens the file delete-on-close), so it is reached through the
// handle only. False when no file can be made.
bool CreateTemporaryFile(const char* prefix, uint32_t* handle, char* name, size_t capacity);

// Moves the file position to `offset`; returns the position reached, -1 on failure.
int64_t SeekTemporaryFile(uint32_t handle, int64_t offset);

// Writes `count` bytes at the file position. False unless all were written.
bool WriteTemporaryFile(uint32_t handle, const void* bytes, size_t count);

// Closes the file, which deletes it. `name` is the name it was created with.
void ReleaseTemporaryFile(uint32_t handle, const char* name);

// The bitmap defaults of the calling thread, made on the thread's first use with
// flags 7 and 150 dots per inch each way; they live as long as the thread. Null
// when they cannot be made.
struct ThreadDefaults {
  uint32_t flags;
  int32_t xResolution;
  int32_t yResolution;
};
ThreadDefaults* CurrentThreadDefaults();

// Test hook: after `skip` more successful calls of `service`, its next `count`
// calls fail (count < 0: every later call) as if the system had refused.
enum class StorageService {
  kSharedMemory,   // CreateSharedMemory
  kMemoryStatus,   // AvailableMemoryBytes reports 0
  kTempFile,       // CreateTemporaryFile
  kFileSeek,       // SeekTemporaryFile
  kFileWrite,      // WriteTemporaryFile
  kThreadDefaults  // CurrentThreadDefaults
};
void ForceStorageFailure(StorageService service, int32_t skip, int32_t count);

// Test hook: ends every forced failure.
void ClearStorageFailures();

}  // namespace qclr::platform

// ---- Dialog manager ---------------------------------------------------------------
// Modal dialogs made from the library's dialog-template resources (type "#5"), their
// controls, and the system's open-file dialog. The core describes what a dialog
// shows and reacts to what the user does through these calls only. A Windows layer
// maps them onto its dialog manager; the POSIX layer has none of its own and hands
// them to an installed one (posix/installed_dialog_manager.h), such as the tests'
// in-memory dialogs played by a script.
namespace qclr::platform {

// The resource type of dialog templates (the predefined Windows type 5).
inline constexpr const char* kDialogResourceType = "#5";

// A dialog on screen; only the platform layer knows what it holds.
struct DialogWindow;

// What a control reports to its dialog. A Windows layer translates the control
// class's own notification codes into these.
enum class ControlNotice : int32_t {
  kClicked,           // a button, check box or radio button was pressed
  kSelectionChanged,  // a drop-down list shows another entry
  kFocusGained,
  kFocusLost,
  kTextChanged,  // the user edited an edit box
  kOther
};

enum class DialogMessageKind : int32_t {
  kInitialise,  // once, after the controls exist and before the dialog is shown
  kCommand      // a control's notice
};

struct DialogMessage {
  DialogMessageKind kind;
  int32_t controlId;  // kCommand only
  ControlNotice notice;
};

// The dialog's procedure, called for every message with the context given to
// RunModalDialog (the platform keeps it with the dialog).
using DialogProcedure = void (*)(DialogWindow* dialog, const DialogMessage& message, void* context);

// The result of RunModalDialog when the dialog cannot be created (no template, no
// user interface); never a value EndDialog is given.
inline constexpr int32_t kDialogNotCreated = -1;

// The command the system sends a dialog when the user closes it without a button
// (the Escape key, the close box); the dialogs give their Cancel button this id.
inline constexpr int32_t kCloseCommandId = 2;

// Shows the modal dialog of template `templateId`, owned by `ownerWindow` (may be
// null), and returns only when it has been ended: the value given to EndDialog, or
// kDialogNotCreated. After kInitialise the focus goes to the first enabled control
// that is a tab stop.
int32_t RunModalDialog(int32_t templateId, void* ownerWindow, DialogProcedure procedure,
                       void* context);

// Ends the dialog once the current message has been handled; RunModalDialog then
// returns `result`.
void EndDialog(DialogWindow* dialog, int32_t result);

// The controls are named by their ids in the template; a missing id is ignored.
void EnableControl(DialogWindow* dialog, int32_t controlId, bool enabled);
void SetControlText(DialogWindow* dialog, int32_t controlId, const char* text);

// Copies the control's text, zero-terminated and cut to `capacity` - 1 characters,
// and returns its whole length (0 for a missing control).
size_t GetControlText(DialogWindow* dialog, int32_t controlId, char* text, size_t capacity);

// The most characters the user may type into an edit box.
void LimitControlText(DialogWindow* dialog, int32_t controlId, int32_t characters);

// Moves the keyboard focus to an enabled control.
void FocusControl(DialogWindow* dialog, int32_t controlId);

// Drop-down lists: entries carry a value of the caller's; a list with the sorted
// style keeps its entries in alphabetical order, others in the order added.
void AddListEntry(DialogWindow* dialog, int32_t controlId, const char* text, int32_t value);
void SelectListValue(DialogWindow* dialog, int32_t controlId, int32_t value);
// The value of the selected entry, or `none` when nothing is selected.
int32_t SelectedListValue(DialogWindow* dialog, int32_t controlId, int32_t none);

// Check boxes and radio buttons. Checking a radio button clears the others of its
// group.
void CheckButton(DialogWindow* dialog, int32_t controlId, bool checked);
bool IsButtonChecked(DialogWindow* dialog, int32_t controlId);

// Up-down controls; the position is shown in the buddy edit box.
void SetUpDownRange(DialogWindow* dialog, int32_t controlId, int32_t low, int32_t high);
void SetUpDownPosition(DialogWindow* dialog, int32_t controlId, int32_t position);

// Options of the open-file dialog, with the Windows values.
inline constexpr uint32_t kOpenFileOverwritePrompt = 0x2;
inline constexpr uint32_t kOpenFileCreatePrompt = 0x2000;
inline constexpr uint32_t kOpenFileExplorer = 0x80000;
inline constexpr uint32_t kOpenFileLongNames = 0x200000;

// One file filter is shown (the first and only), starting in the system's default
// folder. A name the user gives without an extension gets `defaultExtension`
// (written without the dot).
struct OpenFileRequest {
  const char* title;
  const char* filterName;     // e.g. "ICC Files (*.ICM)"
  const char* filterPattern;  // e.g. "*.ICM"
  const char* defaultExtension;
  uint32_t options;  // kOpenFile... bits
};

// Shows the open-file dialog over `owner`. True when the user chose a file whose
// name fits, zero-terminated, into `fileName`; false when the user cancelled (the
// buffer is then unchanged).
bool ShowOpenFileDialog(DialogWindow* owner, const OpenFileRequest& request, char* fileName,
                        size_t capacity);

}  // namespace qclr::platform
