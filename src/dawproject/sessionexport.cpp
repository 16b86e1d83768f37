#include "dawproject/sessionexport.h"

#include "dawproject/sessionfile.h"
#include "project/messages.h"

namespace tp {

ConversionResult ExportSession(const SessionExport& request, const std::filesystem::path& output,
                               const ConversionHooks& hooks) {
  SongLock lock;
  if (!lock.Acquire(request.song, request.wait, SongLock::Mode::Reader))
    return {ConversionResult::Failed, messages::SongInUse, {}, 0};
  SessionPlan plan;
  if (const Status planned = PlanSession(request.song, request.choices, request.format, plan); !planned.ok())
    return ConversionResult::Failure(planned);
  plan.applicationVersion = request.applicationVersion;
  ConversionResult result = WriteSessionFile(plan, output, hooks);
  result.notes = SessionNotes(plan);
  return result;
}

std::vector<Note> SessionNotes(const SessionPlan& plan) {
  std::vector<Note> notes;
  for (const std::string& label : plan.damagedTakes) notes.push_back({messages::TakeLeftOutDamaged, label, {}});
  return notes;
}

}  // namespace tp
