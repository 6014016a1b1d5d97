#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace {

// The automation switches predate the GNU style: "/" or "-", any letter case.
bool IsAutomationSwitch(const QString& arg, const char* name) {
  if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return false;
  return arg.mid(1).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

struct TModeOption {
  const char* Name;
  TRunMode Mode;
};

constexpr TModeOption kProjectModes[] = {
    {"build", rmBuild}, {"serve", rmServe}, {"upload", rmUpload}};

void AddOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Inkloom: a desktop editor for small static web sites."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption({QStringLiteral("build"),
                    QStringLiteral("Generate the site of PROJECT into its output folder."),
                    QStringLiteral("PROJECT")});
  parser.addOption({QStringLiteral("serve"),
                    QStringLiteral("Generate the site of PROJECT and serve it on 127.0.0.1 with "
                                   "includes resolved."),
                    QStringLiteral("PROJECT")});
  parser.addOption({QStringLiteral("port"),
                    QStringLiteral("Port for --serve (default: a free one)."), QStringLiteral("N")});
  parser.addOption({QStringLiteral("watch"),
                    QStringLiteral("With --serve: rebuild when the project or its theme changes and "
                                   "reload the pages open in a browser.")});
  parser.addOption({QStringLiteral("upload"),
                    QStringLiteral("Generate the site of PROJECT and upload it with the project's "
                                   "FTP settings; saves the updated record of uploaded files."),
                    QStringLiteral("PROJECT")});
  parser.addOption({QStringLiteral("dry-run"),
                    QStringLiteral("With --upload: list the files that would be sent, send nothing.")});
  parser.addOption({QStringLiteral("delete"),
                    QStringLiteral("With --upload: also delete from the server the uploaded files "
                                   "that the site no longer has.")});
  parser.addOption({QStringLiteral("run-script"),
                    QStringLiteral("Run a JavaScript file against the automation objects without a "
                                   "window, with PROJECT opened first when given."),
                    QStringLiteral("FILE.js")});
  parser.addPositionalArgument(QStringLiteral("PROJECT"),
                               QStringLiteral("The project to open (.iklproj or any text file)."),
                               QStringLiteral("[PROJECT]"));
}

// The flags of the modes, and the mode each goes with.
struct TFlag {
  const char* Name;
  bool TCommandLine::*Field;
  TRunMode Mode;
};

const TFlag kFlags[] = {
    {"--dry-run", &TCommandLine::DryRun, rmUpload},
    {"--delete", &TCommandLine::Delete, rmUpload},
    {"--watch", &TCommandLine::Watch, rmServe},
};

bool TakeFlag(const QString& arg, TCommandLine& result) {
  for (const TFlag& flag : kFlags)
    if (arg == QLatin1String(flag.Name)) return result.*flag.Field = true;
  return false;
}

// The first flag given without its mode; null when none.
const TFlag* MisplacedFlag(const TCommandLine& result) {
  for (const TFlag& flag : kFlags)
    if (result.*flag.Field && result.Mode != flag.Mode) return &flag;
  return nullptr;
}

TCommandLine UsageError(const QString& message) {
  TCommandLine result;
  result.Mode = rmUsageError;
  result.Error = message;
  return result;
}

}  // namespace

TCommandLine TCommandLine::Parse(const QStringList& args) {
  TCommandLine result;
  QStringList rest;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    // Flags of the modes, taken out first so that "--upload --dry-run PROJECT" does not read
    // "--dry-run" as the project.
    if (i > 0 && TakeFlag(arg, result)) continue;
    if (i > 0 && IsAutomationSwitch(arg, "regserver")) {
      result.Mode = rmRegServer;
      return result;
    }
    if (i > 0 && IsAutomationSwitch(arg, "unregserver")) {
      result.Mode = rmUnregServer;
      return result;
    }
    if (i > 0 && (IsAutomationSwitch(arg, "automation") || IsAutomationSwitch(arg, "embedding"))) {
      result.Mode = rmAutomation;
      continue;
    }
    rest << arg;
  }

  QCommandLineParser parser;
  AddOptions(parser);
  if (!parser.parse(rest)) return UsageError(parser.errorText());
  if (parser.isSet(QStringLiteral("help"))) {
    result.Mode = rmHelp;
    return result;
  }
  if (parser.isSet(QStringLiteral("version"))) {
    result.Mode = rmVersion;
    return result;
  }

  const QStringList positional = parser.positionalArguments();
  int modes = 0;
  for (const TModeOption& option : kProjectModes) {
    if (!parser.isSet(QLatin1String(option.Name))) continue;
    ++modes;
    result.Mode = option.Mode;
    result.Project = parser.value(QLatin1String(option.Name));
  }
  if (parser.isSet(QStringLiteral("run-script"))) {
    ++modes;
    result.Mode = rmRunScript;
    result.ScriptFile = parser.value(QStringLiteral("run-script"));
  }
  if (modes > 1) return UsageError(QStringLiteral("Choose one of --build, --serve, --upload and --run-script."));

  if (parser.isSet(QStringLiteral("port"))) {
    if (result.Mode != rmServe) return UsageError(QStringLiteral("--port goes with --serve."));
    bool ok = false;
    int port = parser.value(QStringLiteral("port")).toInt(&ok);
    if (!ok || port < 0 || port > 65535)
      return UsageError(QStringLiteral("The port must be a number from 0 to 65535."));
    result.Port = port;
  }

  if (const TFlag* flag = MisplacedFlag(result))
    return UsageError(QStringLiteral("%1 goes with --%2.")
                          .arg(QLatin1String(flag->Name), flag->Mode == rmServe ? QStringLiteral("serve") : QStringLiteral("upload")));

  int allowedPositional = (result.Mode == rmEditor || result.Mode == rmAutomation ||
                           result.Mode == rmRunScript) ? 1 : 0;
  if (positional.size() > allowedPositional)
    return UsageError(QStringLiteral("Unexpected argument: %1").arg(positional[allowedPositional]));
  if (!positional.isEmpty()) result.Project = positional[0];
  return result;
}

TCommandLine TCommandLine::Parse(int argc, char** argv) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  return Parse(args);
}

QString TCommandLine::HelpText() {
  QCommandLineParser parser;
  AddOptions(parser);
  // Without an application object the parser cannot know the program's name.
  QString usage = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("inkloom"));
  return usage + QStringLiteral(
      "\nModes:\n"
      "  inkloom [PROJECT]                        the editor\n"
      "  inkloom --build PROJECT                  generate the site; exit 0, 1 generator error,\n"
      "                                           2 usage error or unreadable project\n"
      "  inkloom --serve PROJECT [--port N] [--watch]\n"
      "                                           generate and serve it on 127.0.0.1\n"
      "  inkloom --upload [--dry-run] [--delete] PROJECT\n"
      "                                           generate and upload it (or list what would go);\n"
      "                                           --delete removes the uploaded files the site lost\n"
      "  inkloom --run-script FILE.js [PROJECT]   run a script without a window\n"
      "  inkloom --help | --version\n"
      "\nAutomation server switches (after / or -, any letter case):\n"
      "  -regserver     register the automation service for this user and exit\n"
      "  -unregserver   remove that registration and exit\n"
      "  -automation    start as an automation server (also -embedding)\n");
}

QString TCommandLine::VersionText() {
  return QStringLiteral("Inkloom " INKLOOM_VERSION);
}
