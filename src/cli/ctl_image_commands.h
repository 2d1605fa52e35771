#pragma once
// velmorctl's start-up image commands: build the image a configuration document
// gives, show an image file, download a document into the controller's flash
// with verification, and read the image back. The document is prepared as the
// configuration page prepares "DownFirm" after loading it without touching a
// control (config/config_preparation.h), so both make the same image.

#include <string>

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::config {
struct PreparedDownload;
struct ReadBackResult;
}  // namespace velmor::config

namespace velmor::cli {

class CtlOutput;
class CtlSession;
struct PreparedDocument;

// The start-up image read from the flash of `op`'s controller, with progress.
config::ReadBackResult ReadStartImage(CtlOutput& output, controller::CMainOperation& op,
                                      const char* label);

// Prepares `document` (a file that is no document is refused before the controller
// is reached), or takes the one --device all prepared for every device, connects,
// and gives the connected controller object `op` the prepared document; its board
// type chooses the flash control block. kExitOk, or the exit code of a failure
// already reported.
int PrepareOnController(CtlSession& session, CtlOutput& output, const std::string& document,
                        controller::CMainOperation*& op, PreparedDocument& prepared);

class CtlImageCommands {
  public:
    CtlImageCommands(CtlSession& session, CtlOutput& output) : session_(session), output_(output) {}

    // The image of `document` (board type from the document); written to `outFile`
    // when one is named. 65 when the image cannot be built (too many records, a
    // command without an image code).
    int Build(const std::string& document, const std::string& outFile);
    // An image file parsed as "读取参数" parses the flash, for the --board-type
    // layout. A file that is not 4096 bytes long is 65; an image whose CRC fails is
    // shown (crc_ok false) with a warning.
    int Show(const std::string& file);
    // Prepares `document`, writes the image with verification and retries. 0 only
    // when the flash holds the image, 1 when it still differed after the last
    // retry, 74 when a transfer failed. With `preverify`, the flash is read first
    // and left alone when it already holds the image. With --simulate the
    // simulated main board is reset afterwards, so it replays the image.
    int Download(const std::string& document, bool preverify);
    // Reads the image from the controller, shown as Show shows a file; the raw
    // 4096 bytes go to `outFile` when one is named. 74 when the read failed.
    int ReadBack(const std::string& outFile);

  private:
    CtlSession& session_;
    CtlOutput& output_;
};

}  // namespace velmor::cli
