# The maker's addresses, in one place, set at build time. The defaults use the
# reserved .example domain so that no build sends anything to a host not ours.
set(TAMAREL_MAKER_SITE "http://www.tamarel.example/" CACHE STRING
    "Maker's home page (web-site button, missing-files warning, mailer text)")
set(TAMAREL_MAKER_HOST "www.tamarel.example" CACHE STRING
    "Host of the maker's recommendation service")
configure_file(${CMAKE_CURRENT_LIST_DIR}/maker_config.h.in
               ${CMAKE_BINARY_DIR}/generated/maker_config.h @ONLY)
