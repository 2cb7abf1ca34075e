#include "wizard/AppOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

namespace vor {

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Firmware update wizard for VOR dive computers."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Use the serial port <name> instead of searching for the cable."),
                                  QStringLiteral("name"));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Run against a simulated DC."));
    const QCommandLineOption cli(QStringLiteral("cli"),
                                 QStringLiteral("Run the update on this terminal, without a window."));
    const QCommandLineOption image(QStringLiteral("image"),
                                   QStringLiteral("With --cli: the firmware image <file> instead of the program's."),
                                   QStringLiteral("file"));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("With --cli: answer Yes and OK to every question, never No or Cancel, "
                                                "and go on without waiting for Enter."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("With --cli: one JSON object per line for every event."));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("With --cli: the language, en, de or fr."),
                                  QStringLiteral("code"));
    const QCommandLineOption listPorts(
        QStringLiteral("list-ports"),
        QStringLiteral("List the interface cables found, with what keeps each from use."));
    parser.addOptions({port, demo, cli, image, yes, json, lang, listPorts});

    CommandLine command;
    const auto finish = [&command](CommandLine::Action action, const QString& text) {
        command.action = action;
        command.text = text.toStdString();
        return command;
    };
    const auto fail = [&](const QString& error) {
        return finish(CommandLine::Action::Fail,
                      QCoreApplication::applicationName() + QStringLiteral(": ") + error + u'\n' + parser.helpText());
    };
    if (!parser.parse(arguments)) return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument ") + parser.positionalArguments().constFirst());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return finish(CommandLine::Action::ShowHelp, parser.helpText());
    if (parser.isSet(version))
        return finish(CommandLine::Action::ShowVersion,
                      QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
    AppOptions& options = command.options;
    options.demo = parser.isSet(demo);
    if (parser.isSet(port)) {
        options.port = parser.value(port).toStdString();
        if (options.port.empty()) return fail(QStringLiteral("--port needs a port name"));
    }
    options.cli = parser.isSet(cli) || parser.isSet(listPorts);
    for (const QCommandLineOption* only : {&image, &yes, &json, &lang})
        if (parser.isSet(*only) && !parser.isSet(cli))
            return fail(QStringLiteral("--") + only->names().constFirst() + QStringLiteral(" needs --cli"));
    if (options.cli && options.demo) return fail(QStringLiteral("--demo is the window's; --cli has none"));
    CliOptions& terminal = options.terminal;
    terminal.listPorts = parser.isSet(listPorts);
    terminal.port = options.port;
    terminal.image = parser.value(image).toStdString();
    if (parser.isSet(image) && terminal.image.empty()) return fail(QStringLiteral("--image needs a file"));
    terminal.yes = parser.isSet(yes);
    terminal.json = parser.isSet(json);
    if (parser.isSet(lang)) {
        terminal.languageColumn = LanguageColumnOfCode(parser.value(lang).toStdString());
        if (!terminal.languageColumn)
            return fail(QStringLiteral("--lang takes en, de or fr, not ") + parser.value(lang));
    }
    return command;
}

}  // namespace vor
