!FILE_FORMAT=1
!LANGUAGES
English
!MEMBERS=Entity
;Currency=EUR
