# Writes SITE/index.sums.json: the size and SHA-256 of the program and the
# data package, which the page loads itself and checks before it offers the
# show. Run as cmake -DSITE=DIR -P PackageSums.cmake after each link.
set(json "{")
set(separator "")
foreach(file index.wasm index.data)
  file(SIZE ${SITE}/${file} size)
  file(SHA256 ${SITE}/${file} sum)
  string(APPEND json "${separator}\n  \"${file}\": {\"size\": ${size}, \"sha256\": \"${sum}\"}")
  set(separator ",")
endforeach()
file(WRITE ${SITE}/index.sums.json "${json}\n}\n")
