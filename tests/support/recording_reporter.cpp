// A ScanReporter that records for tests.
#include "recording_reporter.h"

namespace kestrune {
namespace testing_support {

void RecordingReporter::note(const std::string& event)
{
    if (ended > 0)
        reportedAfterEnd = true;
    if (hook)
        hook(event);
}

void RecordingReporter::scanStarted()
{
    ++started;
    events.push_back("started");
    note("started");
}

void RecordingReporter::phaseStarted(ScanPhase phase)
{
    phases.push_back(phase);
    events.push_back(std::string("phase:") + phaseName(phase));
    note(events.back());
}

void RecordingReporter::found(const Find& find)
{
    finds.push_back(find);
    events.push_back(std::string("found:") + typeWord(find.kind) + ":" +
                     std::to_string(find.parasiteIndex) + ":" + std::to_string(find.itemIndex) +
                     ":" + find.location);
    note(events.back());
}

void RecordingReporter::currentText(const std::string& text)
{
    texts.push_back(text);
    note("text:" + text);
}

void RecordingReporter::itemsScanned(unsigned long count)
{
    if (count < lastCount)
        countWentBackwards = true;
    lastCount = count;
    ++countCalls;
    note("count:" + std::to_string(count));
}

void RecordingReporter::unreadable(const std::string& path)
{
    unreadables.push_back(path);
    events.push_back("unreadable:" + path);
    note(events.back());
}

void RecordingReporter::scanFailed(const std::string& reason)
{
    events.push_back("failed:" + reason);
    note(events.back());
}

void RecordingReporter::protectedSkipped(const Find& find)
{
    skipped.push_back(std::string(typeWord(find.kind)) + ":" + std::to_string(find.parasiteIndex) +
                      ":" + std::to_string(find.itemIndex) + ":" + find.location);
    note("skipped:" + find.location);
}

void RecordingReporter::ignoredFind(const Find& find)
{
    ignored.push_back(std::string(typeWord(find.kind)) + ":" + std::to_string(find.parasiteIndex) +
                      ":" + std::to_string(find.itemIndex) + ":" + find.location);
    note("ignored:" + find.location);
}

void RecordingReporter::scanEnded()
{
    if (ended > 0)
        reportedAfterEnd = true;
    ++ended;
    events.push_back("ended");
    if (hook)
        hook("ended");
}

std::vector<std::string> RecordingReporter::locations() const
{
    std::vector<std::string> result;
    for (const Find& find : finds)
        result.push_back(find.location);
    return result;
}

}  // namespace testing_support
}  // namespace kestrune
