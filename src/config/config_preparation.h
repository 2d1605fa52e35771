#pragma once
// The steps the configuration page and velmorctl share, so that a document
// downloaded from the command line becomes the same image as on the page:
//
//  - after a document replaced the command list: the printer keys the store's load
//    read, Take from list and Decode (what the page shows);
//  - "DownFirm" after its question: Encode and the list update, BuildInitMotion,
//    and the image of the command list in download order.
//
// PrepareLoadedDocument chains them for a page that opened a document and
// downloads it without touching a control.

#include "commands/cmds_mag.h"
#include "config/config_controls.h"
#include "config/prt_config_params.h"
#include "config/start_image.h"
#include "motion/document_image.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::config {

// `params` with the printer keys of a document (CCmdsMag::LoadedPrinterKeys, an
// absent FlashSel as 0); the other fields keep their values.
PrtConfigParams WithPrinterKeys(const commands::CCmdsMag::PrinterKeys& keys,
                                PrtConfigParams params);

struct ShownConfig {
    PrtConfigParams params;
    ConfigControls controls;
};

// Take from list (every group) and Decode, for the controller object's board type.
ShownConfig TakeAndDecode(const controller::CMainOperation& op, const PrtConfigParams& params,
                          const ConfigControls& controls);

// Encode for the controller object's board type, then the list update that ends
// every Encode.
PrtConfigParams EncodeIntoList(controller::CMainOperation& op, const ConfigControls& controls,
                               const PrtConfigParams& previous);

struct PreparedDownload {
    PrtConfigParams params;
    ImageBuild build;  // check Ok(): a refused image must not be written
};

// "DownFirm" between the question and the transfer: EncodeIntoList,
// BuildInitMotion, then the image of the command list in download order.
PreparedDownload PrepareDownload(controller::CMainOperation& op, const ConfigControls& controls,
                                 const PrtConfigParams& previous);

// A fresh page's controls and parameters, a document just loaded into `op` by the
// store, which read `keys` from it: the printer keys, TakeAndDecode, then
// PrepareDownload.
PreparedDownload PrepareLoadedDocument(controller::CMainOperation& op,
                                       const commands::CCmdsMag::PrinterKeys& keys);

// The image "DownFirm" would write for `document` as it stands, its motion
// groups built from its lists and settings; nothing else is encoded and the
// document is not changed. A refused image comes back empty, with why.
motion::DocumentImage DocumentImageOf(const controller::OpenDocument& document,
                                      controller::Language language);

}  // namespace velmor::config
