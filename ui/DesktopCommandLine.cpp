#include "DesktopCommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>

#include "SystemPlaces.h"

namespace {

QString AbsoluteClipPath(const QString& argument) {
    QString path = argument;
    if (argument.startsWith(QStringLiteral("file:"))) {
        const QUrl url(argument);
        if (url.isLocalFile()) path = url.toLocalFile();
    }
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

QString SettingsLocation() {
    return platform::SettingsPlaceText();
}

}  // namespace

DesktopParseResult ParseDesktopCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts video files into .3gp clips for mobile phones.\n"
                       "The files given are added to the clip list at start-up, in this order."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the program's version and the versions "
                                                    "of the loaded media libraries."));
    parser.addOptions({help, version});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Video files to add to the clip list."),
                                 QStringLiteral("[FILE...]"));

    DesktopParseResult result;
    DesktopRequest& request = result.Request;
    // The parser names the program after the application object, which does
    // not exist yet when the command line is read.
    const QString usage = QStringLiteral("Usage: kestovar3gp [options] [FILE...]");
    QString helpText = parser.helpText();
    helpText = usage + helpText.mid(std::max<qsizetype>(0, helpText.indexOf(u'\n')));
    request.HelpText = helpText + QStringLiteral(
                                      "\nThe settings are kept in %1.\n"
                                      "kestovar3gp-cli converts without windows.\n")
                                      .arg(SettingsLocation());
    if (!parser.parse(arguments)) {
        result.Error = parser.errorText() + u'\n' + usage;
        return result;
    }
    if (parser.isSet(help)) {
        request.What = DesktopRequest::Mode::Help;
        return result;
    }
    if (parser.isSet(version)) {
        request.What = DesktopRequest::Mode::Version;
        return result;
    }
    for (const QString& file : parser.positionalArguments())
        request.Files.append(AbsoluteClipPath(file));
    return result;
}
