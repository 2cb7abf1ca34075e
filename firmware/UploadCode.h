#pragma once
// Sends the code sections of the loaded image to the DC, block by block.
//
// UploadCode sends section 1 (blocks 0xB5, closing word 0xB6 with the section-1
// checksum); UploadCode2 sends section 2 (blocks 0xB7, then 0xB8 with the
// section-2 argument and 0xB9 with the section-2 checksum). Each logs one task-log
// row with its progress. Success or failure is reported only through CommError
// (set on failure, never cleared here) and the task log; a failure also calls
// ResetStage. A failed block ends the section: no later block and no closing
// word is sent, there is no resume.
//
// UploadCode catches unexpected run-time errors of its own (except ProgramEnding,
// which must reach the flow): it then fails the link (CommModule::FailOnRunTimeError:
// LinkError, LinkAbort and CommError), logs the failure and calls ResetStage. UploadCode2 passes them to its caller.

#include <cstdint>

#include "firmware/FirmwareImage.h"
#include "link/CommModule.h"
#include "session/WizardServices.h"
#include "session/WizardState.h"

namespace vor {

class CodeUploader {
public:
    CodeUploader(CommModule& link, WizardServices& wizard, WizardState& state, const FirmwareImage& image);

    void UploadCode();
    void UploadCode2();

private:
    struct Section {
        const BlockTable& blocks;
        int blockCount;
        std::uint8_t blockCode;
        std::int32_t startText;
    };

    // The block loop; false when a block was not accepted (CommError set).
    bool SendBlocks(const Section& section);
    // Status Msg::Failed, the Msg::DataRefused row, ResetStage.
    void ReportFailure();
    void SendSection1();

    CommModule& link_;
    WizardServices& wizard_;
    WizardState& state_;
    const FirmwareImage& image_;
};

}  // namespace vor
