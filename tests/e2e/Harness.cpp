#include "tests/e2e/Harness.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/TerminalFrontEnd.h"
#include "firmware/ImageDescription.h"
#include "flow/WizardFlow.h"
#include "tests/e2e/JsonEvents.h"
#include "platform/Printer.h"
#include "resources/StringResources.h"
#include "texts/LanguageDb.h"
#include "flow/AppBackend.h"
#include "resources/StringResources.h"
#include "texts/BuiltInTexts.h"
#include "texts/LanguageDbWriter.h"
#include "wizard/MFUMain.h"
#include "wizard/TaskList.h"
#include "session/Messages.h"

namespace vor::e2e {

namespace {

constexpr const char* DemoImageFile = "VOR.1H.FWR";
constexpr const char* EnglishLanguageCode = "5000";
// A new start of the program comes this long after the last one ended.
constexpr double RestartPause = 5.0;

// The database's former recovery question: no run shows it, and none may.
constexpr std::int32_t OldRecoveryQuestion = 818;
// Every message the update, upload and profile steps write into the task log.
constexpr std::int32_t LogMessages[] = {Msg::NoAnswer,          Msg::Failed,
                                        Msg::LoadingImage,      Msg::Done,
                                        Msg::CheckingImage,     Msg::ImageDamaged,
                                        Msg::Version,           Msg::CheckingDc,
                                        Msg::NotForThisDc,      Msg::UpdateFirst,
                                        Msg::AlreadyCurrent,    Msg::UpdateSucceeded,
                                        Msg::UploadingCode,     Msg::UploadingSection1,
                                        OldRecoveryQuestion,    Msg::RecoveryQuestion,
                                        Msg::CheckStep,         Msg::BackupNotSaved,
                                        Msg::NewerProfileInDc,  Msg::SleepNotConfirmed,
                                        Msg::UploadingSection2, Msg::DataRefused,
                                        Msg::CheckingNewCode,   Msg::WrongDcAfterRestart,
                                        Msg::NewCodeVerified,   Msg::RestoreStep,
                                        Msg::BackupFailed,      Msg::WaitingForRestart,
                                        Msg::UpdateFailed,      Msg::ProfileOnClose,
                                        Msg::VerifyFailed};
// Texts this long are also recognised inside longer rows.
constexpr std::size_t MinEmbeddedText = 8;

class NoPrinter : public TextPrinter {
public:
    QString print(QWidget*, const QStringList&, const QString&) override { return {}; }
};

// The English texts of the task-log messages, read once: every open of the database
// pays for its key derivation.
const std::map<std::int32_t, std::string>& LogTexts() {
    static const std::map<std::int32_t, std::string> texts = [] {
        std::map<std::int32_t, std::string> t;
        LanguageDb db;
        const std::string path = (std::filesystem::path(VOR_PROGRAM_DIR) / LanguageDbFile).string();
        if (db.OpenLanguageDb(path, LoadResString(ResDatabasePassword), 1))
            for (std::int32_t n : LogMessages) t[n] = db.GetText(n);
        return t;
    }();
    return texts;
}

// The terminal's questions go to the same scripted boxes as the window's.
class ScriptAnswerer : public Answerer {
public:
    explicit ScriptAnswerer(ScriptedBoxes& boxes) : boxes_(boxes) {}
    Answer answer(BoxIcon icon, BoxButtons buttons, const std::string& caption, const std::string& text) override {
        return {boxes_.show(nullptr, icon, buttons, caption, text), AnsweredBy::Script};
    }

private:
    ScriptedBoxes& boxes_;
};

}  // namespace

FrontEndKind FrontEndUnderTest() {
    const char* kind = std::getenv("VOR_E2E_FRONT_END");
    return kind && std::string(kind) == "terminal" ? FrontEndKind::Terminal : FrontEndKind::Window;
}

void BoundedPump::yieldUntil(double deadline) {
    if (!overran_ && !ending() && (now() > untilTime_ || yieldCount() >= maxYields_)) {
        overran_ = true;
        endProgram();
    }
    FakeEventPump::yieldUntil(deadline);
}

std::string M(std::int32_t message) { return "M" + std::to_string(message); }

std::ostream& operator<<(std::ostream& out, const LogRow& row) {
    return out << "{" << row.icon << ", \"" << row.event << "\", \"" << row.status << "\"}";
}

namespace {

std::string Render(const std::string& text) {
    const auto& texts = LogTexts();
    for (const auto& [n, t] : texts)
        if (!t.empty() && text == t) return M(n);
    std::string out = text;
    for (const auto& [n, t] : texts) {
        if (t.size() < MinEmbeddedText) continue;
        for (auto at = out.find(t); at != std::string::npos; at = out.find(t)) out.replace(at, t.size(), M(n));
    }
    return out;
}

}  // namespace

std::vector<LogRow> TaskLogOf(const QWidget& window) {
    const auto* list = window.findChild<const TaskList*>(QStringLiteral("TaskLst"));
    std::vector<LogRow> rows;
    for (int r = 0; list && r < list->rowCount(); ++r) {
        rows.push_back({list->item(r, 0)->data(TaskList::IconIndexRole).toInt(),
                        Render(list->item(r, 2)->text().toStdString()),
                        Render(list->item(r, 3)->text().toStdString())});
    }
    return rows;
}

namespace {

// The task log as the terminal's JSON events tell it.
std::vector<LogRow> TaskLogOfEvents(const std::string& stream) {
    std::vector<LogRow> rows;
    for (const JsonEvent& e : ParseJsonEvents(stream)) {
        const std::string& kind = e.at("event");
        if (kind == "attempt" || kind == "back") rows.clear();
        if (kind == "row") {
            const std::string& icon = e.at("icon");
            rows.push_back({icon == "step" ? 0 : icon == "error" ? 2 : 1, e.at("text"), e.at("status")});
        }
        const auto row = e.find("row");
        if (row == e.end() || kind == "row") continue;
        const auto at = static_cast<std::size_t>(std::stoul(row->second));
        if (at >= rows.size()) {
            ADD_FAILURE() << kind << " of row " << at << " which the terminal never showed";
            continue;
        }
        if (kind == "status") rows[at].status = e.at("status");
        if (kind == "progress") rows[at].status = e.at("percent") + "%";
    }
    for (LogRow& r : rows) r = {r.icon, Render(r.event), Render(r.status)};
    return rows;
}

}  // namespace

std::string LogText(const std::vector<LogRow>& rows) {
    std::ostringstream out;
    out << "task log:\n";
    for (const LogRow& r : rows) out << "  " << r << "\n";
    return out.str();
}

ImageContent DemoImageContent() {
    std::ifstream in(VOR_SOURCE_DIR "/resources/demo-image.txt");
    std::stringstream text;
    text << in.rdbuf();
    return ParseImageDescription(text.str());
}

// ---- one start of the program ----

struct Harness::Start {
    struct Trigger {
        UnitTrigger when;
        double delay = 0.0;
        std::function<void()> action;
        bool fired = false;
    };

    Start() { boxes.declineWhenOutOfAnswers = true; }

    BoundedPump pump;
    FakeSerialPort port{pump};
    std::unique_ptr<sim::SimPeer> peer;
    WizardState state;
    ScriptedBoxes boxes;
    NoPrinter printer;
    std::vector<int> priorities;
    std::vector<Trigger> triggers;
    std::unique_ptr<WizardFlow> flow;  // built first; one of the two front ends shows it
    std::unique_ptr<MFUMain> window;
    std::unique_ptr<ScriptAnswerer> answerer;
    std::unique_ptr<TerminalFrontEnd> terminal;
    std::string terminalOutput;
    std::unique_ptr<AppBackend> backend;
    std::size_t recordsBefore = 0;  // attempt records in the folder when it started
    bool killed = false;
};

Harness::Harness(sim::DcConfig dc, std::optional<ImageContent> image) : dcConfig_(std::move(dc)) {
    EnsureApplication();
    backupFolder_ = backupDir_.path().toStdString();
    const std::filesystem::path program = programDir_.path().toStdString();
    std::filesystem::copy_file(std::filesystem::path(VOR_PROGRAM_DIR) / LanguageDbFile, program / LanguageDbFile);
    useImage(image);
}

void Harness::dropAddedMessages() {
    const std::string db = (std::filesystem::path(programDir_.path().toStdString()) / LanguageDbFile).string();
    const std::string password = LoadResString(ResDatabasePassword);
    MessageTable table;
    std::string error;
    ASSERT_TRUE(ReadLanguageDb(db, password, table, error)) << error;
    std::erase_if(table.rows, [](const MessageRow& row) { return row.number >= AddedMessagesFrom; });
    ASSERT_TRUE(WriteLanguageDb(table, db, password, error)) << error;
}

Harness::~Harness() {
    for (auto& s : starts_)
        if (s->window) s->window->hide();
}

void Harness::useImage(const std::optional<ImageContent>& image) {
    const std::filesystem::path program = programDir_.path().toStdString();
    if (!image) {
        imageFile_ = DemoImageFile;
        modelNumber_ = DemoImageContent().ModelNumber;
        std::error_code ec;
        std::filesystem::copy_file(std::filesystem::path(VOR_PROGRAM_DIR) / DemoImageFile, program / imageFile_,
                                   std::filesystem::copy_options::skip_existing, ec);
        return;
    }
    imageFile_ = "IMAGE" + std::to_string(starts_.size()) + ".FWR";
    modelNumber_ = image->ModelNumber;
    const std::vector<std::uint8_t> bytes = EncodeImage(*image);
    std::ofstream out(program / imageFile_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Harness::Start& Harness::current() const { return *starts_.back(); }

bool Harness::start() { return launch(std::nullopt); }

bool Harness::startAgain(std::optional<ImageContent> image) {
    if (!ended()) kill();
    if (image) useImage(image);
    sim::SimulatedDc dc = std::move(current().peer->dc());
    return launch(std::move(dc));
}

bool Harness::launch(std::optional<sim::SimulatedDc> dc) {
    auto s = std::make_unique<Start>();
    s->recordsBefore = records().size();
    if (!starts_.empty()) s->pump.yieldUntil(current().pump.now() + RestartPause);  // the DC's clock goes on
    s->pump.setBudget(s->pump.now() + RunTimeBudget, s->pump.yieldCount() + RunYieldBudget);
    if (dc)
        s->peer = std::make_unique<sim::SimPeer>(s->pump, s->port, std::move(*dc));
    else
        s->peer = std::make_unique<sim::SimPeer>(s->pump, s->port, dcConfig_);
    if (s->peer->dc().cablePulled()) s->peer->replug();
    Start* raw = s.get();
    s->peer->setUnitObserver([raw](sim::UnitKind kind, int total) {
        for (auto& t : raw->triggers) {
            if (t.fired || !t.when(kind, total)) continue;
            t.fired = true;
            raw->pump.scheduleIn(t.delay, t.action);
        }
    });

    FlowEnvironment env;
    env.task = task_;
    env.pump = &s->pump;
    env.programDir = programDir_.path().toStdString();
    env.setupRecord = MakeSetupRecord(imageFile_, "", EnglishLanguageCode);
    env.setPriority = [raw](int priorityClass) {
        raw->priorities.push_back(priorityClass);
        return priorityClass;
    };
    env.startProgram = [](const std::string&) {};
    env.endProgram = [raw] { raw->pump.endProgram(); };
    env.recordFolder = [folder = backupFolder_] { return folder; };
    s->flow = std::make_unique<WizardFlow>(s->state, std::move(env));
    if (FrontEndUnderTest() == FrontEndKind::Window) {
        s->window = std::make_unique<MFUMain>(
            *s->flow, WindowEnvironment{&s->boxes, &s->printer, programDir_.path().toStdString(), {}});
    } else {
        s->answerer = std::make_unique<ScriptAnswerer>(s->boxes);
        s->terminal = std::make_unique<TerminalFrontEnd>(
            TerminalOutput{[raw](const std::string& text) { raw->terminalOutput += text; }, false, true, {}},
            *s->answerer);
        s->flow->attach(*s->terminal);
    }
    s->backend = std::make_unique<AppBackend>(
        s->state, *s->flow, s->pump, s->port,
        [] {
            return PortOpenOutcome{PortOpenResult::Opened, "simulated DC", {}};
        },
        BackupFolders(backupFolder_, otherBackupFolders_));
    starts_.push_back(std::move(s));
    Start& now = current();
    now.flow->setBackend(now.backend.get());
    if (!now.window) return now.flow->Start();
    const bool goesOn = now.window->Form_Load();
    if (goesOn) now.window->show();
    return goesOn;
}

void Harness::kill() {
    current().killed = true;
    current().backend->ReleaseDc();  // a process that dies lets go of its locks
    current().pump.endProgram();
    if (current().window) current().window->hide();
}

bool Harness::killed() const { return current().killed; }

bool Harness::ended() const {
    const Start& s = current();
    return s.pump.ending() || s.flow->ended();
}

bool Harness::overran() const {
    for (const auto& s : starts_)
        if (s->pump.overran()) return true;
    return false;
}

// ---- the user ----

void Harness::click(const char* name) {
    if (ended()) {
        ADD_FAILURE() << name << " clicked after the program ended";
        return;
    }
    const auto* b = current().window ? current().window->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
    if (!buttonEnabled(name) || (b && !b->isVisible())) {
        ADD_FAILURE() << name << " cannot be clicked\n" << logText();
        return;
    }
    press(name);
}

// The terminal's Close is Ctrl-C; its Next is Enter.
void Harness::press(const char* name) {
    Start& s = current();
    if (s.window) {
        QTest::mouseClick(s.window->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
        return;
    }
    const std::string button = name;
    if (button == "NextCmd") s.flow->Next();
    if (button == "BackCmd") s.flow->Back();
    if (button == "CloseCmd") s.flow->Close();
}

void Harness::clickNext() { click("NextCmd"); }
void Harness::clickBack() { click("BackCmd"); }
void Harness::clickClose() { click("CloseCmd"); }

void Harness::pressDcButtons() { current().peer->press(); }
void Harness::pullCable() { current().peer->pull(); }
void Harness::plugCableBack() { current().peer->replug(); }

void Harness::waitFor(double seconds) {
    BoundedPump& p = current().pump;
    const double until = p.now() + seconds;
    try {
        while (!p.ending() && p.now() < until) p.yieldUntil(until);
    } catch (const ProgramEnding&) {}
}

void Harness::addTrigger(UnitTrigger when, double delay, std::function<void()> action) {
    current().triggers.push_back({std::move(when), delay, std::move(action)});
}

void Harness::closeWhen(UnitTrigger when, double delay) {
    addTrigger(std::move(when), delay, [this] { press("CloseCmd"); });
}

void Harness::killWhen(UnitTrigger when) {
    addTrigger(std::move(when), 0.0, [this] { kill(); });
}

void Harness::closeAt(double at) {
    current().pump.schedule(at, [this] { press("CloseCmd"); });
}

void Harness::answerRecovery(int okCount) {
    ScriptedBoxes& b = current().boxes;
    b.answers.push_back(BoxAnswer::Yes);
    for (int i = 0; i < okCount; ++i) b.answers.push_back(BoxAnswer::Ok);
    b.onShow = [this](const ShownBox& box) {
        if (box.buttons == BoxButtons::OkCancel) pressDcButtons();
    };
}

// ---- what is seen ----

std::vector<LogRow> Harness::log() const {
    const Start& s = current();
    return s.window ? TaskLogOf(*s.window) : TaskLogOfEvents(s.terminalOutput);
}

std::string Harness::terminalOutput() const { return current().terminalOutput; }

CliOutcome Harness::outcome() {
    Start& s = current();
    return OutcomeOfRun(*s.flow);
}

std::vector<std::filesystem::path> Harness::records() const {
    std::vector<std::filesystem::path> found;
    for (const auto& e : std::filesystem::directory_iterator(backupFolder_))
        if (e.path().filename().string().rfind("task-log-", 0) == 0) found.push_back(e.path());
    return found;
}

std::string Harness::lastRecord() const {
    std::vector<std::filesystem::path> records = this->records();
    if (records.size() <= current().recordsBefore) return {};  // none of this start
    // Names carry the time; "-2" of the same second sorts after the plain name.
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) { return a.stem() < b.stem(); });
    std::ifstream in(records.back(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<LogRow> Harness::updateLog() const {
    std::vector<LogRow> rows = log();
    const auto first =
        std::find_if(rows.begin(), rows.end(), [](const LogRow& r) { return r.event == M(Msg::CheckingDc); });
    return {first, rows.end()};
}

std::string Harness::logText() const { return LogText(log()); }

bool Harness::deepSleepPageShown() const {
    if (current().flow) return current().flow->pageShown() == 2 && current().state.Stage == 2;
    const auto* picture = current().window->findChild<QLabel*>(QStringLiteral("Image2"));
    return picture && picture->isVisibleTo(current().window.get()) && current().state.Stage == 2;
}

bool Harness::buttonEnabled(const char* name) const {
    if (const WizardFlow* flow = current().flow.get()) {
        const std::string button = name;
        return button == "CloseCmd" || (button == "NextCmd" ? flow->nextEnabled() : flow->backEnabled());
    }
    const auto* b = current().window->findChild<QPushButton*>(QString::fromLatin1(name));
    return b && b->isEnabled();
}

WizardState& Harness::state() { return current().state; }
ScriptedBoxes& Harness::boxes() { return current().boxes; }
BoundedPump& Harness::pump() { return current().pump; }
FakeSerialPort& Harness::port() { return current().port; }
sim::SimulatedDc& Harness::dc() { return current().peer->dc(); }
AppBackend& Harness::backend() { return *current().backend; }
std::vector<int> Harness::priorityClasses() const { return current().priorities; }

std::filesystem::path Harness::backupFile() const {
    char serial[16];
    std::snprintf(serial, sizeof serial, "%06u", static_cast<unsigned>(dcConfig_.serial));
    return backupFolder_ / (std::to_string(modelNumber_) + "." + serial + ".bin");
}

std::string Harness::text(std::int32_t message) const {
    const auto& texts = LogTexts();
    const auto it = texts.find(message);
    return it == texts.end() ? std::string() : it->second;
}

}  // namespace vor::e2e
