#include "framework/core/localization.h"

#include <cctype>

namespace Jorv {
namespace L10n {
namespace {

bool AllOf(boost::string_view text, std::size_t min, std::size_t max, int (*accept)(int)) {
  if (text.size() < min || text.size() > max) return false;
  for (char c : text) {
    if (!accept(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool IsWellFormedTag(boost::string_view tag) {
  if (tag == "C" || tag == "POSIX") return true;
  bool first = true;
  for (;;) {
    const std::size_t end = tag.find_first_of("_-");
    const boost::string_view part = tag.substr(0, end);
    if (first ? !AllOf(part, 2, 8, std::isalpha) : !AllOf(part, 1, 8, std::isalnum)) return false;
    if (end == boost::string_view::npos) return true;
    tag.remove_prefix(end + 1);
    first = false;
  }
}

}  // namespace

LanguagePreference LocaleHelpers::MakeLanguagePreference(boost::string_view tag,
                                                         std::error_code& error) {
  if (!IsWellFormedTag(tag)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return LanguagePreference();
  }
  error.clear();
  return LanguagePreference(std::string(tag));
}

// Every default-constructed spec is a copy of this one, equal in every member to one parsed
// afresh. Immutable after its first use.
const LocaleSpec& LocaleSpec::Default() {
  static const LocaleSpec kDefault = [] {
    std::error_code first;
    std::error_code second;
    std::vector<LanguagePreference> languages;
    languages.push_back(LocaleHelpers::MakeLanguagePreference("en_US", first));
    languages.push_back(LocaleHelpers::MakeLanguagePreference("C", second));
    return LocaleSpec(std::move(languages), TimezoneSpec("Etc/UTC"), first, second);
  }();
  return kDefault;
}

LocaleSpec::LocaleSpec() : LocaleSpec(Default()) {}

std::string Localizer::Localize(const BaseMessage& message, const LocaleSpec& locale) const {
  if (!empty()) {
    for (const LanguagePreference& language : locale.GetLanguages()) {
      const auto bundle = translations_->find(language.GetTag());
      if (bundle == translations_->end()) continue;
      const auto text = bundle->second.find(message.GetId());
      if (text == bundle->second.end()) continue;
      std::vector<const std::string*> args;
      for (const std::string& arg : message.GetArgs()) args.push_back(&arg);
      return Detail::FormatTemplate(text->second, args.data(), args.size());
    }
  }
  return message.GetDefaultMessage();
}

}  // namespace L10n
}  // namespace Jorv
