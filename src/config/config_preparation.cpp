#include "config/config_preparation.h"

#include "config/command_list_update.h"
#include "config/config_encoding.h"
#include "controller/main_operation.h"
#include "motion/motion_builder.h"

namespace velmor::config {

PrtConfigParams WithPrinterKeys(const commands::CCmdsMag::PrinterKeys& keys,
                                PrtConfigParams params) {
    params.jetType = keys.jetType;
    params.dpiCode = keys.dpiType;
    params.flashSel = static_cast<std::uint32_t>(keys.flashSel.value_or(0));
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

PreparedDownload PrepareLoadedDocument(controller::CMainOperation& op,
                                       const commands::CCmdsMag::PrinterKeys& keys) {
    const ShownConfig shown =
        TakeAndDecode(op, WithPrinterKeys(keys, PrtConfigParams{}), ConfigControls{});
    return PrepareDownload(op, shown.controls, shown.params);
}

motion::DocumentImage DocumentImageOf(const controller::OpenDocument& document,
                                      controller::Language language) {
    std::vector<controller::CMD_INFO> cmdList = document.cmdList;
    motion::BuildInitMotion(cmdList, document.motionList, document.testMotionList,
                            document.motorSettings);
    ImageBuild build = BuildStartImage(cmdList, document.cmdNames);
    if (!build.Ok()) return {{}, {}, ImageBuildMessage(build, language)};
    return {{build.image.begin(), build.image.end()}, std::move(build.commands), {}};
}

}  // namespace velmor::config
