#pragma once
// The controller object: the one object every page reaches the controller and the
// shared state through. It is made of three parts, each with its own concern: the
// protocol over the link (RegisterLink), the open configuration document
// (OpenDocument) and the program's own settings and flags (ProgramState); code that
// needs only one part can take that part.

#include <string>

#include "controller/open_document.h"
#include "controller/program_state.h"
#include "controller/register_link.h"

namespace velmor::controller {

class CMainOperation : public RegisterLink, public OpenDocument, public ProgramState {
  public:
    // The one process-wide instance, created on first call, never destroyed.
    static CMainOperation* GetInstance();

    // Tests build their own instances beside the process-wide one.
    CMainOperation();
    ~CMainOperation() override;

    // The program folder with a trailing '/': $VELMOR_HOME when set, else the
    // folder of the running executable.
    static std::string DefaultProgramFolder();

    // The flash write test's pattern: kinds 0..3 computed; kind 4 copies from
    // PatternFile().
    void FillTestPattern(std::uint8_t* buffer, int length, int kind) const;
    const std::string& PatternFile() const { return patternFile_; }
    void SetPatternFile(std::string path) { patternFile_ = std::move(path); }

  private:
    std::string patternFile_ = "E:\\USB3Data.bin";
};

}  // namespace velmor::controller
