!FILE_FORMAT=1
!LANGUAGES
English
!MEMBER_LIST_FILE
@@@not base64@@@
