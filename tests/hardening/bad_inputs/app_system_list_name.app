!FILE_FORMAT=1
!LANGUAGES
English
!MEMBERS=Entity
A
!MEMBER_LISTS=Entity
[Base];A
