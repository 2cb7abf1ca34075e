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
    parser.addOption(port);
    parser.addOption(demo);

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
    command.options.demo = parser.isSet(demo);
    if (parser.isSet(port)) {
        command.options.port = parser.value(port).toStdString();
        if (command.options.port.empty()) return fail(QStringLiteral("--port needs a port name"));
    }
    return command;
}

}  // namespace vor
