#include "firmware/UploadCode.h"

#include <exception>

#include "firmware/UpdateSequenceTexts.h"
#include "platform/EventPump.h"
#include "session/ProgressText.h"

namespace vor {

CodeUploader::CodeUploader(CommModule& link, WizardServices& wizard, WizardState& state, const FirmwareImage& image)
    : link_(link), wizard_(wizard), state_(state), image_(image) {}

void CodeUploader::UploadCode() {
    try {
        SendSection1();
    } catch (const ProgramEnding&) {
        throw;  // the window is closing: let the waiting stack unwind
    } catch (const std::exception&) {
        // Sets CommError too: a section that never reached the DC must not pass for uploaded.
        link_.FailOnRunTimeError();
        ReportFailure();
    }
}

void CodeUploader::SendSection1() {
    const Section section{image_.Section1Blocks, image_.Section1BlockCount, Cmd::Block1,
                          image_.BothSections() ? Msg::UploadingSection1 : Msg::UploadingCode};
    if (!SendBlocks(section)) return;

    link_.SendCodeWord(Cmd::Close1, image_.Section1Checksum);
    if (state_.CommError) {
        ReportFailure();
        return;
    }
    wizard_.SetTaskStatus(wizard_.GetText(Msg::Done));
}

void CodeUploader::UploadCode2() {
    const Section section{image_.Section2Blocks, image_.Section2BlockCount, Cmd::Block2,
                          image_.BothSections() ? Msg::UploadingSection2 : Msg::UploadingCode};
    if (!SendBlocks(section)) return;

    // 0xB9 goes out whatever 0xB8 gave; CommError keeps the first failure.
    link_.SendCodeWordB8(image_.Section2Argument);
    link_.SendCodeWord(Cmd::Close2, image_.Section2Checksum);
    if (state_.CommError) {
        ReportFailure();
        return;
    }
    wizard_.SetTaskStatus(wizard_.GetText(Msg::Done));
}

bool CodeUploader::SendBlocks(const Section& section) {
    wizard_.InsertTaskList(IconRunning, wizard_.GetText(section.startText), "");
    for (int r = 1; r <= section.blockCount; ++r) {
        // Shown before the block goes out, so the last block is sent at 100%.
        wizard_.SetTaskStatus(PercentText(r, section.blockCount));
        const BlockRow& row = section.blocks[r - 1];
        link_.WriteCodeBlock(row[0], section.blockCode, RowBytes(row));
        if (state_.CommError) break;
    }
    if (state_.CommError) {
        ReportFailure();
        return false;
    }
    return true;
}

void CodeUploader::ReportFailure() {
    wizard_.SetTaskStatus(wizard_.GetText(Msg::Failed));
    wizard_.InsertTaskList(IconError, wizard_.GetText(Msg::DataRefused), "");
    wizard_.ResetStage();
}

}  // namespace vor
