#include "config/config_preparation.h"

#include "commands/store_document.h"
#include "config/command_list_update.h"
#include "config/config_encoding.h"
#include "controller/main_operation.h"
#include "motion/motion_builder.h"

namespace velmor::config {

PrtConfigParams ReadPrinterKeys(const std::string& path, PrtConfigParams params) {
    commands::StoreDocument doc;
    doc.Open(path);
    const commands::ProfileDocument& profile = doc.Profile();
    params.jetType = static_cast<std::uint8_t>(profile.GetInt("JETTYPE", "JetType", 0));
    params.dpiCode = static_cast<std::uint8_t>(profile.GetInt("DPITYPE", "DPIType", 0));
    params.flashSel = static_cast<std::uint32_t>(profile.GetInt("FlashSel", "FlashSel", 0));
    return params;
}

ShownConfig TakeAndDecode(const controller::CMainOperation& op, const PrtConfigParams& params,
                          const ConfigControls& controls) {
    const controller::BoardLayout layout = controller::LayoutOf(op.BoardType());
    ShownConfig shown;
    shown.params = TakeFromList(op.cmdList, layout, params);
    shown.controls = Decode(shown.params, layout, controls);
    return shown;
}

PrtConfigParams EncodeIntoList(controller::CMainOperation& op, const ConfigControls& controls,
                               const PrtConfigParams& previous) {
    const PrtConfigParams params = Encode(controls, controller::LayoutOf(op.BoardType()), previous);
    UpdateCommandList(op, params);
    return params;
}

PreparedDownload PrepareDownload(controller::CMainOperation& op, const ConfigControls& controls,
                                 const PrtConfigParams& previous) {
    PreparedDownload prepared;
    prepared.params = EncodeIntoList(op, controls, previous);
    motion::BuildInitMotion(op);
    prepared.build = BuildStartImage(op.cmdList, op.cmdNames);
    return prepared;
}

PreparedDownload PrepareLoadedDocument(controller::CMainOperation& op, const std::string& path) {
    const PrtConfigParams keys = ReadPrinterKeys(path, PrtConfigParams{});
    const ShownConfig shown = TakeAndDecode(op, keys, ConfigControls{});
    return PrepareDownload(op, shown.controls, shown.params);
}

}  // namespace velmor::config
