#include "framework/core/localization.h"

#include <gtest/gtest.h>

namespace {

using namespace Jorv::L10n;

TEST(Localizer, RendersTheFirstPreferredLanguageWithATemplateElseTheDefaultText) {
  const Jorv::BaseMessage message("app.greeting", "Hello, Ada.", {"Ada"});
  EXPECT_EQ(Localizer().Localize(message, LocaleSpec()), "Hello, Ada.");

  const Localizer localizer(Localizer::Translations{
      {"de_CH", {{"app.greeting", "Grüezi, {1}."}}},
      {"fr_FR", {{"app.greeting", "Bonjour, {1}."}, {"app.other", "Autre."}}},
  });
  const auto locale = [](std::vector<std::string> tags) {
    std::vector<LanguagePreference> languages;
    for (auto& tag : tags) languages.emplace_back(tag);
    return LocaleSpec(languages, TimezoneSpec("Europe/Zurich"));
  };
  EXPECT_EQ(localizer.Localize(message, locale({"it_IT", "fr_FR", "de_CH"})), "Bonjour, Ada.");
  EXPECT_EQ(localizer.Localize(message, locale({"it_IT"})), "Hello, Ada.");
  EXPECT_EQ(RequestLocalizer(localizer, locale({"de_CH"})).Localize(message), "Grüezi, Ada.");
}

}  // namespace
