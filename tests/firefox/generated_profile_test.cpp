// The generated profiles, read back through the program's own database layer.
#include <gtest/gtest.h>

#include "firefox/firefox_profile.h"
#include "platform/sqlite_statement.h"
#include "profile_generator.h"
#include "support/test_support.h"

namespace {
int64_t Count(TSQLiteDatabase& db, const std::string& sql) {
  return db.GetTable(sql).FieldAsInteger(0);
}
}  // namespace

TEST(GeneratedProfile, LegacySchemaTakesTheOldPurgeStatements) {
  ASSERT_TRUE(FindFirefoxInstall());
  TempFolder folder;
  ProfileRecipe recipe;
  recipe.schema = FirefoxSchema::Legacy;
  recipe.places = 400;
  WriteProfileFiles(folder.Path(), recipe);
  TSQLiteDatabase places(folder.File("places.sqlite"));
  EXPECT_EQ(Count(places, "SELECT COUNT(*) FROM moz_places"), 400);
  EXPECT_GT(Count(places, "SELECT COUNT(*) FROM moz_historyvisits WHERE visit_type = 2"), 0);
  EXPECT_GT(Count(places, "SELECT COUNT(*) FROM moz_historyvisits WHERE visit_type = 1"), 0);
  EXPECT_GT(Count(places, "SELECT COUNT(*) FROM moz_inputhistory"), 0);
  EXPECT_GT(Count(places, "SELECT COUNT(*) FROM moz_bookmarks WHERE type = 1"), 0);
  EXPECT_GT(Count(places, "SELECT COUNT(*) FROM moz_places WHERE SUBSTR(url,0,6) = 'place'"), 0);
  // The typed-URL statements of that era run on it, in their order.
  places.ExecSQL("DELETE FROM moz_InputHistory ");
  places.ExecSQL(
      "DELETE FROM moz_FavIcons WHERE id IN( SELECT F.id FROM moz_FavIcons F LEFT OUTER JOIN "
      "moz_places P ON P.favicon_id = F.id WHERE P.typed <> 0 AND P.favicon_id IS NULL) ");
  places.ExecSQL(
      "DELETE FROM moz_places WHERE id IN ( SELECT P.id FROM moz_places P LEFT OUTER JOIN "
      "moz_historyvisits V ON P.id = V.place_id LEFT OUTER JOIN moz_bookmarks B ON P.id = B.fk "
      "WHERE V.visit_type = 2 AND B.id IS NULL AND SUBSTR(P.url,0,6) <> 'place:' )");
  places.ExecSQL("DELETE FROM moz_HistoryVisits WHERE visit_type = 2 ");
  EXPECT_EQ(Count(places, "SELECT COUNT(*) FROM moz_historyvisits WHERE visit_type = 2"), 0);
  EXPECT_LT(Count(places, "SELECT COUNT(*) FROM moz_places"), 400);

  TSQLiteDatabase cookies(folder.File("cookies.sqlite"));
  TSQLiteTable c = cookies.GetTable("SELECT host, name, value, expiry, isSecure FROM moz_cookies");
  EXPECT_EQ(c.RowCount(), recipe.cookies);
  EXPECT_LT(c.FieldAsInteger(c.FieldIndex("expiry")), 4000000000LL);  // seconds in this era
  TSQLiteDatabase perms(folder.File("permissions.sqlite"));
  EXPECT_EQ(Count(perms, "SELECT COUNT(*) FROM moz_hosts"), recipe.permissions);
}

TEST(GeneratedProfile, CurrentSchemaLooksLikeATodaysFirefox) {
  ASSERT_TRUE(FindFirefoxInstall());
  TempFolder folder;
  ProfileRecipe recipe;
  recipe.places = 300;
  WriteProfileFiles(folder.Path(), recipe);
  TSQLiteDatabase places(folder.File("places.sqlite"));
  EXPECT_GT(Count(places, "SELECT COUNT(*) FROM moz_origins"), 0);
  EXPECT_GT(Count(places, "SELECT COUNT(*) FROM moz_places_metadata"), 0);
  EXPECT_EQ(Count(places, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'moz_favicons'"), 0);
  TSQLiteDatabase cookies(folder.File("cookies.sqlite"));
  EXPECT_EQ(Count(cookies, "PRAGMA user_version"), 17);
  EXPECT_GT(Count(cookies, "SELECT MIN(expiry) FROM moz_cookies"),
            1000000000000LL);  // milliseconds
  TSQLiteDatabase perms(folder.File("permissions.sqlite"));
  EXPECT_EQ(Count(perms, "SELECT COUNT(*) FROM moz_perms WHERE origin LIKE 'https://%'"),
            recipe.permissions);
  EXPECT_EQ(Count(perms, "SELECT COUNT(*) FROM moz_hosts"), 0);
  TSQLiteDatabase forms(folder.File("formhistory.sqlite"));
  EXPECT_EQ(Count(forms, "SELECT COUNT(*) FROM moz_formhistory"), recipe.formEntries);
}
