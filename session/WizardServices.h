#pragma once
// What the link, firmware and profile code may ask of the wizard: the flow
// (flow/WizardFlow) implements it, whichever front end shows it; tests use a recording fake.

#include <cstdint>
#include <string>

namespace vor {

// Pictures of the task log rows.
enum TaskIcon : int { IconRunning = 0, IconInfo = 1, IconError = 2 };

// Windows priority-class values; the platform adapter maps them.
enum PriorityClass : int { PriorityNormal = 32, PriorityHigh = 128, PriorityRealtime = 256 };

enum class BoxIcon { Critical, Warning, Information, Question };
// ProfileChoice: the DC's own profile differs from its saved one; the two buttons are
// UseSaved and KeepDc, and closing the box leaves the choice open (Undecided).
enum class BoxButtons { Ok, OkCancel, YesNo, ProfileChoice };
// Undecided: nobody could decide (no one to ask, or asked to stop); the caller then
// changes nothing and leaves a saved profile where the next run finds it.
enum class BoxAnswer { Ok, Cancel, Yes, No, UseSaved, KeepDc, Undecided };

class WizardServices {
public:
    virtual ~WizardServices() = default;

    // Task log: append a row (picture, event text, status text); change the last row's status.
    virtual void InsertTaskList(int iconInd, const std::string& s1, const std::string& s2) = 0;
    virtual void SetTaskStatus(const std::string& s) = 0;

    // An update attempt has ended: normal priority, Back enabled. Stage is unchanged.
    virtual void ResetStage() = 0;

    // Text of message `number` in the current language; empty when unknown.
    virtual std::string GetText(std::int32_t number) = 0;

    // A modal message box. Nothing is sent to the DC while one is open.
    virtual BoxAnswer MessageBox(BoxIcon icon, BoxButtons buttons, const std::string& caption,
                                 const std::string& text) = 0;

    // Sets the priority class of the program's own process; returns the class it has afterwards.
    virtual int SetProcessPriority(int priorityClass) = 0;
};

}  // namespace vor
