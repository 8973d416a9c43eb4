!FILE_FORMAT=1
!LANGUAGES
English
English
