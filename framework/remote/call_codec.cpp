#include "framework/remote/detail/call_codec.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Remote {
namespace detail {
namespace {

using ContextEntries = google::protobuf::RepeatedPtrField<jorv::remote::ContextEntry>;

void WriteContext(const std::map<std::string, std::string>& map, ContextEntries& out) {
  out.Reserve(static_cast<int>(map.size()));
  for (const auto& entry : map) {
    auto* written = out.Add();
    written->set_key(entry.first);
    written->set_value(entry.second);
  }
}

// A key given twice keeps its first value.
void ReadContext(const ContextEntries& in, std::map<std::string, std::string>& out) {
  for (const auto& entry : in) out.emplace(entry.key(), entry.value());
}

}  // namespace

void WriteStart(const std::shared_ptr<const Core::MethodIdentifier>& method,
                const Data::DataValuePtr& input,
                const std::shared_ptr<Core::AsyncActivation>& activation,
                jorv::remote::Start& out) {
  if (method) {
    if (method->GetInterfaceIdentifier()) {
      out.set_interface_name(method->GetInterfaceIdentifier()->GetName());
    }
    out.set_method_name(method->GetName());
  }
  if (input) EncodeValue(input, *out.mutable_input());
  if (!activation) return;
  auto& wire = *out.mutable_activation();
  if (activation->localeSpec) {
    auto& locale = *wire.mutable_locale();
    for (const auto& language : activation->localeSpec->GetLanguages()) {
      locale.add_languages(language.GetTag());
    }
    locale.set_timezone(activation->localeSpec->GetTimezone().GetZoneName());
  }
  if (activation->context) {
    WriteContext(activation->context->applicationContext, *wire.mutable_application_context());
    WriteContext(activation->context->securityContext, *wire.mutable_security_context());
  }
}

bool ReadStart(const jorv::remote::Start& in, const DecodeLimits& limits, StartedCall& out,
               std::list<BaseMessage>& messages) {
  if (in.has_input() && !DecodeValue(in.input(), limits, out.input, messages)) return false;
  out.method = Core::MethodIdentifier::GetInstance(
      Core::InterfaceIdentifier::GetInstance(in.interface_name()), in.method_name());
  out.activation = std::make_shared<Core::AsyncActivation>();
  const auto& wire = in.activation();
  if (wire.has_locale()) {
    std::vector<L10n::LanguagePreference> languages;
    languages.reserve(static_cast<std::size_t>(wire.locale().languages_size()));
    for (const auto& tag : wire.locale().languages()) languages.emplace_back(tag);
    out.activation->localeSpec = std::make_shared<L10n::LocaleSpec>(
        std::move(languages), L10n::TimezoneSpec(wire.locale().timezone()));
  }
  ReadContext(wire.application_context(), out.activation->context->applicationContext);
  ReadContext(wire.security_context(), out.activation->context->securityContext);
  return true;
}

void WriteReport(const std::shared_ptr<const Core::MethodResult>& result, const Progress& progress,
                 bool continues, jorv::remote::Report& out) {
  out.set_result(result != nullptr);
  if (result) {
    if (result->output) EncodeValue(result->output, *out.mutable_output());
    if (result->error) EncodeValue(result->error, *out.mutable_error());
    out.set_completed(result->completed);
  }
  out.set_progress_minimum(progress.minimum);
  out.set_progress_current(progress.current);
  out.set_progress_maximum(progress.maximum);
  out.set_continues(continues);
}

bool Read(const jorv::remote::Report& in, const DecodeLimits& limits, ReadReport& out,
          std::list<BaseMessage>& messages) {
  out.progress = Progress{in.progress_minimum(), in.progress_current(), in.progress_maximum()};
  out.continues = in.continues();
  if (!in.result()) return true;
  auto result = std::make_shared<Core::MethodResult>();
  result->completed = in.completed();
  if (in.has_output() && !DecodeValue(in.output(), limits, result->output, messages)) return false;
  if (in.has_error()) {
    Data::DataValuePtr error;
    if (!DecodeValue(in.error(), limits, error, messages)) return false;
    if (!error || error->GetType() != Data::DataType::ERROR) {
      messages.push_back(
          MakeMessage(MessageIds::kRemoteProtocol,
                      Message<CoreTag>::DefaultMessageForId(MessageIds::kRemoteProtocol),
                      std::string("the error of a report is not an error value")));
      return false;
    }
    result->error = std::static_pointer_cast<const Data::ErrorValue>(error);
  }
  out.result = std::move(result);
  return true;
}

}  // namespace detail
}  // namespace Remote
}  // namespace Jorv
