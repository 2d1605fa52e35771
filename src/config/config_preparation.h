#pragma once
// The steps the configuration page and velmorctl share, so that a document
// downloaded from the command line becomes the same image as on the page:
//
//  - after a document replaced the command list: the printer keys of the file,
//    Take from list and Decode (what the page shows);
//  - "DownFirm" after its question: Encode and the list update, BuildInitMotion,
//    and the image of the command list in download order.
//
// PrepareLoadedDocument chains them for a page that opened a document and
// downloads it without touching a control.

#include <string>

#include "config/config_controls.h"
#include "config/prt_config_params.h"
#include "config/start_image.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::config {

// The printer keys of a configuration file: [JETTYPE] JetType, [DPITYPE] DPIType
// and [FlashSel] FlashSel, each 0 when absent. The other fields keep their values.
PrtConfigParams ReadPrinterKeys(const std::string& path, PrtConfigParams params);

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

// A fresh page's controls and parameters, `path` just loaded into `op` by the
// store: the printer keys, TakeAndDecode, then PrepareDownload.
PreparedDownload PrepareLoadedDocument(controller::CMainOperation& op, const std::string& path);

}  // namespace velmor::config
