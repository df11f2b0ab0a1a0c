// The provider's catalog of default English message texts.

#include "examples/stats_demo/demo_messages.h"

#include <algorithm>
#include <iterator>

namespace Jorv {
namespace {

struct Entry {
  const char* id;
  const char* text;
};

namespace Ids = StatsDemo::MessageIds;

constexpr Entry kCatalog[] = {
    {Ids::kProcUnreadable, "Cannot read {1}."},
    {Ids::kProcMalformed, "Line {2} of {1} is not understood."},
    {Ids::kProcMissing, "{1} does not give {2}."},
    {Ids::kValueUnavailable, "No value for {1}: {2}."},
    {Ids::kQueryNotFound, "There is no query {1}."},
    {Ids::kBadTimeToLive, "The time to live must be a positive number of seconds, not {1}."},
    {Ids::kNoInstances, "A query needs at least one counter instance."},
    {Ids::kUnknownCounter, "There is no counter {1}."},
    {Ids::kResourceMismatch, "The resource identifiers do not match those of counter {1}."},
    {Ids::kUnknownEdition, "Counter {1} has no edition {2}."},
    {Ids::kDuplicateHandle, "The handle {1} is used twice."},
    {Ids::kHandleNotFound, "The query has no instance with handle {1}."},
    {Ids::kQueryCreated, "Query {1} created."},
    {Ids::kStreamNotFound, "Query {1} has no stream."},
    {Ids::kStreamExists, "Query {1} already has a stream."},
    {Ids::kBadInterval, "The interval must be a positive number of milliseconds, not {1}."},
    {Ids::kNegativeSetting, "The {1} must not be negative, not {2}."},
    {Ids::kNoHistory, "Results before {1} are not kept; attach without a start time."},
    {Ids::kShuttingDown, "The provider is shutting down."},
};

}  // namespace

std::string Message<StatsDemo::DemoTag>::DefaultMessageForId(const std::string& id) {
  const auto it = std::find_if(std::begin(kCatalog), std::end(kCatalog),
                               [&id](const Entry& entry) { return id == entry.id; });
  if (it != std::end(kCatalog)) return it->text;
  return "Message '" + id + "'.";
}

}  // namespace Jorv
