# The two commands that do everything on a fresh Debian 12 machine: `make demo` and `make check`.
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := libfreeimage-dev libdevil-dev libjxr-dev libjxr-tools libpango1.0-dev \
  libcairo2-dev libpixman-1-dev libpng-dev libavcodec-dev libavformat-dev libswscale-dev liblcms2-dev \
  libjpeg62-turbo-dev \
  imagemagick fonts-liberation fonts-dejavu-core libgtest-dev cmake g++ make pkg-config \
  parallel man-db macutils librsvg2-bin poppler-utils libxml2-utils nlohmann-json3-dev
# macutils: its hexbin checks the reading of BinHex and MacBinary from outside, in the tests.
# What `make deb` needs besides: dpkg-shlibdeps, and file, by which CPack finds the programs.
DEB_PACKAGES := dpkg-dev file

SANITIZE_BUILD ?= build-sanitize
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps build check check-sanitize demo clean fuzz install uninstall deb

all: build

# Installs only what is missing; `apt-get update` runs once, and only when something must be
# installed.
deps:
	@missing=""; for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DQUILLMERE_WERROR=ON >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

check: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer and with
# every assert on, in a build folder of its own.
check-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DQUILLMERE_WERROR=ON -DQUILLMERE_SANITIZE=ON \
	  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" >/dev/null
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# The program, its man page, its bash completion, the README and the licence, under
# $(DESTDIR)$(PREFIX).
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)" --strip

# Removes what `make install` lays out with the same PREFIX and DESTDIR: the list comes from an
# install into a scratch folder, so it needs no record of an earlier install.
uninstall: build
	@stage=$$(mktemp -d) && \
	DESTDIR="$$stage" cmake --install $(BUILD) --prefix "$(PREFIX)" >/dev/null && \
	(cd "$$stage" && find . -type f -o -type l) | while read -r file; do \
	  rm -fv "$(DESTDIR)/$${file#./}"; \
	done; \
	rm -rf "$$stage"; \
	rmdir "$(DESTDIR)$(PREFIX)/share/doc/quillmere" 2>/dev/null || true

# The Debian package build/deb/quillmere_VERSION_ARCH.deb, then a look at what it holds and
# needs: the program, the man page and the completion, and Depends with ImageMagick, jxrlib's
# tools and the shared libraries.
deb:
	@$(MAKE) --no-print-directory build EXTRA_PACKAGES="$(DEB_PACKAGES)"
	rm -rf $(BUILD)/deb
	cd $(BUILD) && cpack -G DEB
	sh tools/check_deb.sh $(BUILD)/deb/quillmere_*.deb

demo: build
	@sh samples/demo.sh $(BUILD)/bin/marrowickcmd

# The fuzz targets of the PICT decoder and of the reader of Macintosh files, one after the other
# (need clang; not part of `make check`). FUZZ_SECONDS, for each target: 1800 for a long run.
FUZZ_SECONDS ?= 60
fuzz: deps
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang++ (Debian: clang)"; exit 1; }
	sh fuzz/run.sh $(FUZZ_SECONDS)
	sh fuzz/run_macfile.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
