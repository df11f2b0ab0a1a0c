#pragma once
// Identifiers of the messages the host-statistics provider reports, and Message<DemoTag>, which
// builds one of them with its default English text from the provider's own catalog.

#include <string>
#include <utility>

#include "framework/text/message.h"

namespace StatsDemo {
namespace MessageIds {

// Reading the host: a file that could not be read (path), a line that did not parse (path,
// line number), a value a file did not provide (path, what was missing).
inline constexpr char kProcUnreadable[] = "stats.demo.proc.unreadable";
inline constexpr char kProcMalformed[] = "stats.demo.proc.malformed";
inline constexpr char kProcMissing[] = "stats.demo.proc.missing";
// Sampling: a counter instance without a value in this result (counter, reason).
inline constexpr char kValueUnavailable[] = "stats.demo.value.unavailable";
// Queries: unknown query (query), bad time to live (given), no instances, unknown counter
// (counter), resource identifiers that do not fit the counter (counter), unknown edition
// (counter, edition), a handle used twice (handle), a handle to remove that is not there.
inline constexpr char kQueryNotFound[] = "stats.demo.query.not.found";
inline constexpr char kBadTimeToLive[] = "stats.demo.query.bad.time.to.live";
inline constexpr char kNoInstances[] = "stats.demo.query.no.instances";
inline constexpr char kUnknownCounter[] = "stats.demo.query.unknown.counter";
inline constexpr char kResourceMismatch[] = "stats.demo.query.resource.mismatch";
inline constexpr char kUnknownEdition[] = "stats.demo.query.unknown.edition";
inline constexpr char kDuplicateHandle[] = "stats.demo.query.duplicate.handle";
inline constexpr char kHandleNotFound[] = "stats.demo.query.handle.not.found";
inline constexpr char kQueryCreated[] = "stats.demo.query.created";
// Streams: no stream for the query (query), one already there (query), a bad interval (given),
// a negative setting (name, given), history asked for that is not kept (timestamp), the provider
// shutting down.
inline constexpr char kStreamNotFound[] = "stats.demo.stream.not.found";
inline constexpr char kStreamExists[] = "stats.demo.stream.exists";
inline constexpr char kBadInterval[] = "stats.demo.stream.bad.interval";
inline constexpr char kNegativeSetting[] = "stats.demo.stream.negative.setting";
inline constexpr char kNoHistory[] = "stats.demo.stream.no.history";
inline constexpr char kShuttingDown[] = "stats.demo.provider.shutting.down";

}  // namespace MessageIds

// Tag of the provider's message catalog.
struct DemoTag {};

}  // namespace StatsDemo

namespace Jorv {

// A message of the provider's catalog: its default text is the catalog's, formatted with the
// arguments.
template <>
class Message<StatsDemo::DemoTag> : public BaseMessage {
 public:
  template <class... Args>
  explicit Message(const std::string& id, Args... args)
      : BaseMessage(MakeMessage(id, DefaultMessageForId(id), std::string(std::move(args))...)) {}

  // The default English text for `id`; an identifier the catalog does not know gets a generic
  // text naming it.
  static std::string DefaultMessageForId(const std::string& id);
};

}  // namespace Jorv

namespace StatsDemo {
using DemoMessage = ::Jorv::Message<DemoTag>;
}  // namespace StatsDemo
