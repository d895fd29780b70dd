// Plays movies made by brivelle-cli in Ruffle inside headless Chromium: every frame shows its slide's picture in
// both timing modes, a click opens exactly the address of the slide under the mouse, and a long movie's late
// frames cost no more than its early ones.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';

import {
    cards, closeAll, decodePng, launchChromium, LoopbackServer, makeMovie, run, sleep, tolerance, toolFromEnv, waitUntil,
    white, withTimeout,
} from './support.mjs';

const require = createRequire(import.meta.url);
const ruffleDir = path.dirname(require.resolve('@ruffle-rs/ruffle'));

const cli = toolFromEnv('BRIVELLE_CLI');
const makePictures = toolFromEnv('BRIVELLE_MAKE_PICTURES');

const loadTimeoutMs = 20000;
const openTimeoutMs = 5000;
// How long a click that must open nothing is given to open something anyway (real time).
const quietMs = 400;

// The page that hosts the player; its functions are called from the tests.
const playerPage = `<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>player</title>
<link rel="icon" href="data:,">
<style>html, body { margin: 0; background: #808080; } #player { display: block; }</style>
<script src="/ruffle/ruffle.js"></script>
<script>
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = { publicPath: '/ruffle/', polyfills: false };
async function loadMovie(url, width, height)
{
    const player = window.RufflePlayer.newest().createPlayer();
    player.id = 'player';
    player.style.width = width + 'px';
    player.style.height = height + 'px';
    document.body.appendChild(player);
    // Without a GPU the player offers a notice about hardware acceleration that covers the stage.
    const style = document.createElement('style');
    style.textContent = '#hardware-acceleration-modal { display: none !important; }';
    player.shadowRoot.appendChild(style);
    const loaded = new Promise((resolve) => player.addEventListener('loadedmetadata', resolve, { once: true }));
    await player.ruffle().load({
        url,
        autoplay: 'off',
        allowScriptAccess: true,
        preferredRenderer: 'webgl',
        splashScreen: false,
        unmuteOverlay: 'hidden',
        letterbox: 'off',
        contextMenu: 'off',
        warnOnUnsupportedContent: false,
        showSwfDownload: false,
        logLevel: 'warn',
    });
    await loaded;
    return player.ruffle().metadata;
}
function startMovie()
{
    const ruffle = document.getElementById('player').ruffle();
    ruffle.resume();
    return ruffle.isPlaying;
}
</script>
</head>
<body></body>
</html>
`;

// Serves the player page, Ruffle's files and the movies on 127.0.0.1, and records every request.
class TestServer extends LoopbackServer
{
    constructor(movieDir)
    {
        super();
        this.movieDir = movieDir;
    }

    unexpected()
    {
        return this.requests.filter(
            (url) => !/^\/(player\.html|favicon\.ico|ruffle\/[\w.-]+|movies\/[\w.-]+\.swf|clicked\/.*)$/.test(url));
    }

    handle(req, res)
    {
        const pathname = new URL(req.url, this.origin).pathname;
        const send = (status, type, body) => {
            res.writeHead(status, { 'content-type': type, 'cache-control': 'no-store' });
            res.end(body);
        };
        let match;
        if (pathname === '/player.html')
            send(200, 'text/html; charset=utf-8', playerPage);
        else if (pathname.startsWith('/clicked/'))
            send(200, 'text/html; charset=utf-8', '<!doctype html><title>clicked</title><link rel="icon" href="data:,">');
        else if (pathname === '/favicon.ico')
            send(204, 'image/x-icon', '');
        else if ((match = /^\/ruffle\/([\w.-]+)$/.exec(pathname)))
            this.sendFile(res, path.join(ruffleDir, match[1]));
        else if ((match = /^\/movies\/([\w.-]+\.swf)$/.exec(pathname)))
            this.sendFile(res, path.join(this.movieDir, match[1]));
        else
            send(404, 'text/plain', 'not found');
    }

    sendFile(res, file)
    {
        const types = {
            '.js': 'text/javascript',
            '.wasm': 'application/wasm',
            '.map': 'application/json',
            '.swf': 'application/x-shockwave-flash',
        };
        fs.readFile(file, (err, data) => {
            if (err)
            {
                res.writeHead(404, { 'content-type': 'text/plain' });
                res.end('not found');
                return;
            }
            res.writeHead(200, {
                'content-type': types[path.extname(file)] || 'application/octet-stream',
                'cache-control': 'no-store',
            });
            res.end(data);
        });
    }
}

// One page playing one movie under Playwright's fake clock, with everything it does recorded.
class MoviePage
{
    constructor(context, page, movie)
    {
        this.context = context;
        this.page = page;
        this.movie = movie;
        this.elapsed = 0;
        this.navigations = [];
        this.popups = [];
        this.errors = [];
        this.log = [];
        page.on('framenavigated', (frame) => {
            if (frame === page.mainFrame())
                this.navigations.push(frame.url());
        });
        context.on('page', (other) => this.popups.push(other));
        page.on('pageerror', (err) => this.errors.push(String(err)));
        page.on('console', (msg) => {
            const text = msg.text();
            if (!text.includes('GL Driver Message'))
                this.log.push(`${msg.type()}: ${text.replace(/%c/g, '').replace(/ color: .*$/, '')}`);
        });
    }

    static async open(browser, server, movie)
    {
        const context = await browser.newContext({
            viewport: { width: 640, height: 480 },
            deviceScaleFactor: 1,
            locale: 'en-US',
            timezoneId: 'UTC',
        });
        // Nothing may leave the test's own server.
        await context.route((url) => url.origin !== server.origin, (route) => {
            server.requests.push(`blocked ${route.request().url()}`);
            return route.abort('blockedbyclient');
        });
        const page = await context.newPage();
        const moviePage = new MoviePage(context, page, movie);
        try
        {
            await page.clock.install({ time: 0 });
            await page.goto(`${server.origin}/player.html`, { timeout: loadTimeoutMs });
            moviePage.metadata = await withTimeout(
                page.evaluate(([url, w, h]) => loadMovie(url, w, h), [`/movies/${movie.file}`, movie.width, movie.height]),
                loadTimeoutMs, `loading ${movie.file} in Ruffle`);
            moviePage.startUrl = page.url();
            moviePage.navigations.length = 0;
            // Start on an animation-frame boundary (the fake clock runs them every 16 ms from 0), right after the
            // player's tick there.
            const now = await page.evaluate(() => Date.now());
            await page.clock.pauseAt(Math.ceil((now + 100) / 2000) * 2000);
            assert.equal(await page.evaluate(() => startMovie()), true, 'the player did not start playing');
        }
        catch (err)
        {
            await context.close();
            throw err;
        }
        return moviePage;
    }

    // Time after the start at which frame k (from 0) is captured. Ruffle runs a movie's first frame one frame
    // period after playback starts, so frame k shows from (k + 1)·T to (k + 2)·T.
    frameTime(k)
    {
        return Math.round((k + 1.5) * this.movie.period);
    }

    async runTo(ms)
    {
        assert.ok(ms >= this.elapsed, `the clock cannot go back from ${this.elapsed} ms to ${ms} ms`);
        await this.page.clock.runFor(ms - this.elapsed);
        this.elapsed = ms;
    }

    async stage()
    {
        const shot = decodePng(await this.page.locator('#player').screenshot({ timeout: loadTimeoutMs }));
        assert.deepEqual([shot.width, shot.height], [this.movie.width, this.movie.height],
                         'the player element does not have the size of the movie');
        return shot;
    }

    // Checks that the whole stage shows one colour.
    async expectStage(colour, what)
    {
        const { width, height, rgb } = await this.stage();
        const centre = ((height >> 1) * width + (width >> 1)) * 3;
        const centreColour = [...rgb.subarray(centre, centre + 3)];
        let off = 0, firstOff = null;
        for (let i = 0; i < rgb.length; i += 3)
        {
            if (colour.some((value, c) => Math.abs(rgb[i + c] - value) > tolerance))
            {
                if (off++ === 0)
                    firstOff = { x: (i / 3) % width, y: Math.floor(i / 3 / width), colour: [...rgb.subarray(i, i + 3)] };
            }
        }
        assert.equal(off, 0,
                     `${what}: expected rgb(${colour}) ±${tolerance} over the whole ${width}×${height} stage, ` +
                         `centre is rgb(${centreColour}), ${off} pixels differ, first at ` +
                         `(${firstOff?.x}, ${firstOff?.y}) rgb(${firstOff?.colour})` + this.diagnostics());
    }

    async centre()
    {
        const box = await this.page.locator('#player').boundingBox();
        return [box.x + box.width / 2, box.y + box.height / 2];
    }

    diagnostics()
    {
        const lines = [...this.errors.map((e) => `page error: ${e}`), ...this.log.slice(-10)];
        return lines.length ? `\n  player log:\n    ${lines.join('\n    ')}` : '';
    }

    async close()
    {
        await this.context.close();
    }
}

// The frames of a movie in order, as the slide shown in each.
function frameSlides(movie)
{
    return movie.slides.flatMap((slide) => Array(movie.framesPerSlide).fill(slide));
}

const modes = [
    { name: 'an FPS-mode', file: 'fps.swf', options: ['--fps', '4'], rate: 4, framesPerSlide: 1, width: 256, height: 192 },
    {
        name: 'a delay-mode',
        file: 'delay.swf',
        options: ['--delay', '2', '--width', '200', '--height', '150'],
        rate: 1,
        framesPerSlide: 2,
        width: 200,
        height: 150,
    },
];

let tmpDir;
let server;
let browser;

before(async () => {
    tmpDir = fs.mkdtempSync(path.join(os.tmpdir(), 'brivelle-e2e-'));
    const pictures = path.join(tmpDir, 'pictures');
    fs.mkdirSync(pictures);
    await run(makePictures, ['samples', pictures], { timeout: 60000 });
    server = new TestServer(tmpDir);
    await server.start();
    for (const movie of modes)
    {
        movie.period = 1000 / movie.rate;
        movie.address = `${server.origin}/clicked/green?movie=${movie.file}&slide=2`;
        movie.slides = [
            { name: 'red', colour: cards.red, address: null },
            { name: 'green', colour: cards.green, address: movie.address },
            { name: 'blue', colour: cards.blue, address: null },
        ];
        await makeMovie(cli, movie.options, path.join(tmpDir, movie.file), pictures, movie.slides);
    }
    browser = await launchChromium();
}, { timeout: 120000 });

after(() => closeAll(browser, server, tmpDir));

for (const movie of modes)
{
    describe(`${movie.name} movie in Ruffle`, () => {
        it('holds its size, rate, frame count and white background', async () => {
            const player = await MoviePage.open(browser, server, movie);
            try
            {
                const { metadata } = player;
                assert.deepEqual(
                    {
                        width: metadata.width,
                        height: metadata.height,
                        frameRate: metadata.frameRate,
                        numFrames: metadata.numFrames,
                        swfVersion: metadata.swfVersion,
                        backgroundColor: metadata.backgroundColor,
                        isActionScript3: metadata.isActionScript3,
                    },
                    {
                        width: movie.width,
                        height: movie.height,
                        frameRate: movie.rate,
                        numFrames: movie.slides.length * movie.framesPerSlide,
                        swfVersion: 3,
                        backgroundColor: '#FFFFFF',
                        isActionScript3: false,
                    });
                assert.equal(metadata.uncompressedLength, fs.statSync(path.join(tmpDir, movie.file)).size,
                             'the length in the header differs from the file size');
            }
            finally
            {
                await player.close();
            }
        }, { timeout: 60000 });

        it('shows each slide for its frames, then loops', async () => {
            const player = await MoviePage.open(browser, server, movie);
            try
            {
                await player.runTo(Math.round(movie.period / 2));
                await player.expectStage(white, 'before the first frame (the movie background)');
                const frames = frameSlides(movie);
                // One frame past the end: the movie starts again with its first slide.
                frames.push(frames[0]);
                for (const [k, slide] of frames.entries())
                {
                    await player.runTo(player.frameTime(k));
                    await player.expectStage(slide.colour, `frame ${k} (slide ${slide.name})`);
                }
                assert.deepEqual(player.navigations, [], 'playing alone navigated the page');
                assert.deepEqual(server.unexpected(), [], 'unexpected requests');
                assert.deepEqual(player.errors, [], 'the page raised errors');
            }
            finally
            {
                await player.close();
            }
        }, { timeout: 60000 });

        it('opens exactly the slide address on mouse down, and nothing from slides without one', async () => {
            const player = await MoviePage.open(browser, server, movie);
            try
            {
                const frames = frameSlides(movie);
                const [x, y] = await player.centre();
                await player.page.mouse.move(x, y);
                const seen = server.requests.length;
                // Click every slide without an address in its last frame: there the button is a fresh placement
                // in delay mode.
                for (const [s, slide] of movie.slides.entries())
                {
                    if (slide.address)
                        continue;
                    const k = (s + 1) * movie.framesPerSlide - 1;
                    await player.runTo(player.frameTime(k));
                    await player.expectStage(slide.colour, `frame ${k} before the click`);
                    await player.page.mouse.down();
                    await player.page.mouse.up();
                    await player.runTo(player.frameTime(k) + Math.round(movie.period / 4));
                    await sleep(quietMs);
                    assert.deepEqual(server.since(seen), [],
                                     `a click on the ${slide.name} slide (no address) made requests`);
                    assert.deepEqual(player.navigations, [], `a click on the ${slide.name} slide navigated the page`);
                    assert.equal(player.popups.length, 0, `a click on the ${slide.name} slide opened a window`);
                    assert.equal(player.page.url(), player.startUrl, 'the page left the player');
                }

                // The slide with the address, in the movie's second round so that every other slide came first.
                const s = movie.slides.findIndex((slide) => slide.address);
                const slide = movie.slides[s];
                const k = frames.length + (s + 1) * movie.framesPerSlide - 1;
                await player.runTo(player.frameTime(k));
                await player.expectStage(slide.colour, `frame ${k} before the click`);
                await player.page.mouse.down();
                const opened = await waitUntil(
                    () => server.since(seen).length > 0 && player.navigations.length + player.popups.length > 0,
                    openTimeoutMs);
                assert.ok(opened, `mouse down on the ${slide.name} slide opened nothing within ${openTimeoutMs} ms; ` +
                                      `requests: ${JSON.stringify(server.since(seen))}` + player.diagnostics());
                await player.page.mouse.up();
                await sleep(quietMs);
                const address = new URL(slide.address);
                assert.deepEqual(server.since(seen), [address.pathname + address.search],
                                 'mouse down and up must request exactly the slide address, once');
                assert.deepEqual(player.navigations, [slide.address], 'the page must navigate once, to the address');
                assert.equal(player.popups.length, 0, 'the click opened another window');
            }
            finally
            {
                await player.close();
            }
        }, { timeout: 60000 });
    });
}

// A long movie: each slide leaves the stage once the next is placed, so a frame costs the same wherever it lies.
// Were every slide kept, frame k would draw k pictures and reaching a late frame would cost the square of it.
describe('a 1,000-slide movie in Ruffle', () => {
    const movie = { file: 'long.swf', rate: 50, width: 64, height: 48, slides: 1000 };
    movie.period = 1000 / movie.rate;
    const colours = [cards.red, cards.green, cards.blue];

    before(async () => {
        const pictures = path.join(tmpDir, 'pictures');
        const names = ['red', 'green', 'blue'];
        const args = ['--fps', String(movie.rate), '--width', String(movie.width), '--height', String(movie.height),
                      '--quiet', '-o', path.join(tmpDir, movie.file)];
        for (let s = 0; s < movie.slides; ++s)
            args.push(path.join(pictures, `${names[s % 3]}.bmp`));
        await run(cli, args, { timeout: 120000 });
    }, { timeout: 180000 });

    it('reaches frame 1,000 for at most 15 times what frame 100 costs', async (t) => {
        const player = await MoviePage.open(browser, server, movie);
        try
        {
            const reach = async (frame) => {
                const start = performance.now();
                await player.runTo(player.frameTime(frame - 1));
                return performance.now() - start;
            };
            const to100 = await reach(100);
            await player.expectStage(colours[99 % 3], 'frame 100');
            const to1000 = to100 + await reach(1000);
            await player.expectStage(colours[999 % 3], 'frame 1,000');
            t.diagnostic(`frame 100 after ${Math.round(to100)} ms, frame 1,000 after ${Math.round(to1000)} ms ` +
                         `(${(to1000 / to100).toFixed(1)}×)`);
            assert.ok(to1000 <= 15 * to100,
                      `reaching frame 1,000 took ${Math.round(to1000)} ms, more than 15 times the ` +
                          `${Math.round(to100)} ms to frame 100` + player.diagnostics());
            assert.deepEqual(player.errors, [], 'the page raised errors');
        }
        finally
        {
            await player.close();
        }
    }, { timeout: 600000 });
});
