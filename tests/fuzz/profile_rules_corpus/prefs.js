# Mozilla User Preferences

user_pref("browser.cache.disk.capacity", 358400);
user_pref("browser.cache.disk.parent_directory", "D:\\FFCache\\");
user_pref("browser.startup.homepage", "about:blank");
