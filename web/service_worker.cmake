# Writes the page's service worker, sw.js, from sw.js.in: the files it keeps,
# and the name of its cache, made of the version and a digest of those files,
# so that any change to them, a new release's above all, gives a new cache.
# Any other file in the page's folder, left by an earlier build, is removed:
# the folder is the page, as it is packed.
#
#   cmake -DTEMPLATE=sw.js.in -DOUTPUT=<web>/sw.js -DWEB=<web> -DVERSION=<version>
#         "-DFILES=<file>;..." -P service_worker.cmake
set(digests "")
set(quoted "'./'")
foreach(file IN LISTS FILES)
    file(SHA256 "${WEB}/${file}" digest)
    string(APPEND digests "${digest}  ${file}\n")
    string(APPEND quoted ", '${file}'")
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING "${digest}" 0 16 digest)
set(CACHE_NAME "compound-${VERSION}-${digest}")
set(PAGE_FILES "${quoted}")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)

file(GLOB present RELATIVE "${WEB}" "${WEB}/*")
list(REMOVE_ITEM present ${FILES} sw.js)
foreach(file IN LISTS present)
    file(REMOVE_RECURSE "${WEB}/${file}")
endforeach()
