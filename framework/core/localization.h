#pragma once
// Localisation: which languages and time zone a request prefers, and the localizer that
// renders messages for them. Conversions carry a RequestLocalizer; error reports use one to
// render native errors.

#include <list>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <boost/utility/string_view.hpp>

#include "framework/text/message.h"

namespace Jorv {
namespace L10n {

// One preferred language, as a tag such as "en_US", "de-CH" or "C".
class LanguagePreference {
 public:
  LanguagePreference() = default;
  explicit LanguagePreference(std::string tag) : tag_(std::move(tag)) {}
  const std::string& GetTag() const { return tag_; }

 private:
  std::string tag_;
};

// A time zone by its zone name, such as "Etc/UTC".
class TimezoneSpec {
 public:
  explicit TimezoneSpec(std::string zoneName = "Etc/UTC") : zoneName_(std::move(zoneName)) {}
  const std::string& GetZoneName() const { return zoneName_; }

 private:
  std::string zoneName_;
};

struct LocaleHelpers {
  // A language preference for `tag`: "C", "POSIX", or a language of 2 to 8 letters followed by
  // subtags of 1 to 8 letters or digits, each after "_" or "-". A malformed tag sets `error`
  // to std::errc::invalid_argument and yields an empty preference; a good one clears `error`.
  static LanguagePreference MakeLanguagePreference(boost::string_view tag, std::error_code& error);
};

// The locale of a request: languages in order of preference and a time zone.
class LocaleSpec {
 public:
  // "en_US", then "C", in the time zone "Etc/UTC".
  LocaleSpec();
  LocaleSpec(std::vector<LanguagePreference> languages, TimezoneSpec timezone)
      : languages_(std::move(languages)), timezone_(std::move(timezone)) {}

  const std::vector<LanguagePreference>& GetLanguages() const { return languages_; }
  const TimezoneSpec& GetTimezone() const { return timezone_; }
  // What the default constructor's two MakeLanguagePreference calls reported.
  const std::error_code& GetFirstLanguageError() const { return firstLanguageError_; }
  const std::error_code& GetSecondLanguageError() const { return secondLanguageError_; }

 private:
  // The default spec, parsed once; default construction copies it.
  static const LocaleSpec& Default();
  LocaleSpec(std::vector<LanguagePreference> languages, TimezoneSpec timezone,
             std::error_code firstLanguageError, std::error_code secondLanguageError)
      : firstLanguageError_(firstLanguageError),
        secondLanguageError_(secondLanguageError),
        languages_(std::move(languages)),
        timezone_(std::move(timezone)) {}

  std::error_code firstLanguageError_;
  std::error_code secondLanguageError_;
  std::vector<LanguagePreference> languages_;
  TimezoneSpec timezone_;
};

// Renders messages in a preferred language from translated templates. A default-constructed
// localizer has no translations (empty()) and renders every message with its default text.
class Localizer {
 public:
  // Message templates keyed by language tag, then by message identifier.
  using Translations = std::map<std::string, std::map<std::string, std::string>>;

  Localizer() = default;
  explicit Localizer(Translations translations)
      : translations_(std::make_shared<const Translations>(std::move(translations))) {}

  bool empty() const { return !translations_ || translations_->empty(); }

  // The text of `message` in the first language of `locale` that has a template for its
  // identifier, formatted with the message's arguments; its default text otherwise.
  std::string Localize(const BaseMessage& message, const LocaleSpec& locale) const;

 private:
  std::shared_ptr<const Translations> translations_;
};

// A localizer together with the locale of one request.
class RequestLocalizer {
 public:
  RequestLocalizer() = default;
  RequestLocalizer(Localizer localizer, LocaleSpec locale)
      : localizer_(std::move(localizer)), locale_(std::move(locale)) {}

  const Localizer& GetLocalizer() const { return localizer_; }
  const LocaleSpec& GetLocale() const { return locale_; }
  std::string Localize(const BaseMessage& message) const {
    return localizer_.Localize(message, locale_);
  }

 private:
  Localizer localizer_;
  LocaleSpec locale_;
};

struct RequestLocalizerHelper {
  // A default localizer with the default locale ("en_US", "C", "Etc/UTC").
  static RequestLocalizer GetDefaultRequestLocalizer() { return RequestLocalizer(); }
};

}  // namespace L10n
}  // namespace Jorv
