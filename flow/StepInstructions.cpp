#include "flow/StepInstructions.h"

#include <initializer_list>

namespace vor {

namespace {

constexpr const char* CrLf = "\r\n";

// A numbered sentence gets the running step number in front; a plain one none.
struct Piece {
    bool numbered;
    const char* text;
    int lineBreaks;
};

std::string Build(int firstStep, std::initializer_list<Piece> pieces) {
    std::string text;
    int step = firstStep;
    for (const Piece& p : pieces) {
        if (p.numbered) text += std::to_string(step++);
        text += p.text;
        for (int i = 0; i < p.lineBreaks; ++i) text += CrLf;
    }
    return text;
}

}  // namespace

std::string StepInstructions(int stage) {
    if (stage == 1)
        return Build(1, {
                            {true, ". Plug the USB interface cable into an USB port on the PC.", 2},
                            {true, ". Dive Computer (DC) needs to be in the Watch Main Time Mode.", 2},
                            {true, ". Clip the interface cable on the DC data port.", 2},
                            {true,
                             ". A PC will appear with a 120 second countdown (you have 2 minutes to initiate the "
                             "connection PC-DC).",
                             1},
                            {false,
                             "   a) If the  PC screen does not appear, unclip the interface cable from the DC for 5 "
                             "second then repeat",
                             1},
                            {false, "   steps 2, 3, 4.", 2},
                            {false, ">>> Click on Next button to continue... >>>", 0},
                        });
    if (stage == 2)
        return Build(5, {
                            {false, "", 10},
                            {true, ". DC is now in Deep Sleep mode. Do not unclip the interface cable from the DC.", 2},
                            {true,
                             ". Activate the DC by depressing and holding both the Advance (A) and Select (S) buttons "
                             "until the PC screen appears with a 120 second countdown (about 8 seconds).",
                             1},
                            {false,
                             "   a) If the PC screen does not appear, unclip the interface cable from the DC for 5 "
                             "seconds, then clip it ",
                             1},
                            {false, "   back on.", 2},
                            {false, ">>> Click on Next button to continue...>>>", 0},
                        });
    return {};
}

bool StepShowsPicture(int stage) { return stage == 2; }

}  // namespace vor
