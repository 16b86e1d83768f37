#include <cstdio>
#include <vector>

#include "cli/commands.h"
#include "project/namecodec.h"
#include "project/takeedit.h"

namespace tp::cli {

namespace {

std::string nameBytes(const std::string& utf8) {
  const auto bytes = Utf8ToNameBytes(utf8);
  if (!bytes)
    throw CommandFailure("A name can hold only ASCII, Latin-1 and half-width katakana characters: \"" + utf8 +
                         "\"");
  return *bytes;
}

int report(const EditResult& result, const std::string& done) {
  if (!result.ok()) {
    std::fprintf(stderr, "%s\n", result.message);
    return 1;
  }
  std::printf("%s\n", done.c_str());
  return 0;
}

// What one rename or delete acts on.
struct Subject {
  bool project = false;
  std::optional<TrackTake> take;
  std::optional<int> master;
  int count() const { return int(project) + int(take.has_value()) + int(master.has_value()); }
};

}  // namespace

int RunRename(ArgumentReader& args) {
  std::string folder, name;
  bool named = false;
  Subject subject;
  while (!args.done()) {
    const std::string arg = args.take();
    if (arg == "--project") { subject.project = true; name = args.valueOf(arg); named = true; }
    else if (arg == "--take") { subject.take = ParseTrackTake(args.valueOf(arg)); name = args.valueOf("--take T-K"); named = true; }
    else if (arg == "--master") { subject.master = ParseMasterTake(args.valueOf(arg)); name = args.valueOf("--master N"); named = true; }
    else if (arg.starts_with("--")) throw UsageError("unknown option " + arg);
    else if (folder.empty()) folder = arg;
    else throw UsageError("unexpected argument \"" + arg + "\"");
  }
  if (folder.empty()) throw UsageError("name the project folder");
  if (subject.count() != 1 || !named) throw UsageError("rename one thing: --project, --take or --master");

  ProjectModel model;
  OpenProject(model, folder);
  const std::string bytes = nameBytes(name);
  const std::string stored = NameBytesToUtf8(bytes.substr(0, 8));
  if (subject.project) return report(RenameProject(model, bytes), "Project renamed to \"" + stored + "\"");
  if (subject.take) {
    if (!model.TakeSel[subject.take->track][subject.take->take].assigned)
      throw CommandFailure(TrackTakeLabel(*subject.take) + " holds no take.");
    return report(RenameTake(model, subject.take->track, subject.take->take, bytes),
                  TrackTakeLabel(*subject.take) + " renamed to \"" + stored + "\"");
  }
  if (!model.MasTakeSel[*subject.master].assigned) throw CommandFailure(MasterLabel(*subject.master) + " holds no take.");
  return report(RenameMasterTake(model, *subject.master, bytes),
                MasterLabel(*subject.master) + " renamed to \"" + stored + "\"");
}

int RunDelete(ArgumentReader& args) {
  std::string folder;
  Subject subject;
  while (!args.done()) {
    const std::string arg = args.take();
    if (arg == "--take") subject.take = ParseTrackTake(args.valueOf(arg));
    else if (arg == "--master") subject.master = ParseMasterTake(args.valueOf(arg));
    else if (arg.starts_with("--")) throw UsageError("unknown option " + arg);
    else if (folder.empty()) folder = arg;
    else throw UsageError("unexpected argument \"" + arg + "\"");
  }
  if (folder.empty()) throw UsageError("name the project folder");
  if (subject.count() != 1) throw UsageError("delete one thing: --take or --master");

  ProjectModel model;
  OpenProject(model, folder);
  if (subject.take) {
    if (!model.TakeSel[subject.take->track][subject.take->take].assigned)
      throw CommandFailure(TrackTakeLabel(*subject.take) + " holds no take.");
    return report(DeleteTake(model, subject.take->track, subject.take->take),
                  TrackTakeLabel(*subject.take) + " deleted");
  }
  if (!model.MasTakeSel[*subject.master].assigned) throw CommandFailure(MasterLabel(*subject.master) + " holds no take.");
  return report(DeleteMasterTake(model, *subject.master), MasterLabel(*subject.master) + " deleted");
}

}  // namespace tp::cli
