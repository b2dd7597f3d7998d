# The two commands that do everything on a fresh Debian 12 machine: `make demo` and `make check`.
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := libfreeimage-dev libdevil-dev libjxr-dev libjxr-tools libpango1.0-dev \
  libcairo2-dev libpixman-1-dev libavcodec-dev libavformat-dev libswscale-dev liblcms2-dev \
  imagemagick fonts-liberation fonts-dejavu-core libgtest-dev cmake g++ make pkg-config

.PHONY: all deps build check demo clean fuzz

all: build

# Installs only what is missing; `apt-get update` runs once, and only when something must be
# installed.
deps:
	@missing=""; for p in $(PACKAGES); do \
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

demo: build
	@sh samples/demo.sh $(BUILD)/bin/marrowickcmd

# The decoder's fuzz target (needs clang; not part of `make check`). FUZZ_SECONDS=1800 for a
# long run.
FUZZ_SECONDS ?= 60
fuzz: deps
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang++ (Debian: clang)"; exit 1; }
	sh fuzz/run.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-fuzz
