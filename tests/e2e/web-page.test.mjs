// The web page that brivelle-cli --html writes, served over HTTP and opened in headless Chromium: it plays every
// slide in its frame, in order, a click opens exactly the address of a linked slide, and opened from a file it
// tells the reader to use a web server.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { pathToFileURL } from 'node:url';

import {
    cards, closeAll, decodePng, launchChromium, LoopbackServer, makeMovie, run, sleep, tolerance, toolFromEnv, waitUntil,
    white,
} from './support.mjs';

const cli = toolFromEnv('BRIVELLE_CLI');
const makePictures = toolFromEnv('BRIVELLE_MAKE_PICTURES');

// A name that needs escaping in the page and encoding in its addresses.
const movieName = 'Our show é & co';
const rate = 4;
const period = 1000 / rate;
const loadTimeoutMs = 20000;
const quietMs = 400;

// Serves the published folder as a plain static web server would, plus /clicked/ for the slide addresses, and
// records every request.
class SiteServer extends LoopbackServer
{
    constructor(root)
    {
        super();
        this.root = root;
    }

    handle(req, res)
    {
        const pathname = decodeURIComponent(new URL(req.url, this.origin).pathname);
        const file = path.join(this.root, pathname);
        const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm' };
        if (pathname.startsWith('/clicked/'))
        {
            res.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
            res.end('<!doctype html><title>clicked</title><link rel="icon" href="data:,">');
        }
        else if (file.startsWith(this.root + path.sep) && fs.existsSync(file) && fs.statSync(file).isFile())
        {
            res.writeHead(200, { 'content-type': types[path.extname(file)] || 'application/octet-stream' });
            res.end(fs.readFileSync(file));
        }
        else
        {
            res.writeHead(404, { 'content-type': 'text/plain' });
            res.end('not found');
        }
    }
}

// The name of the card (or white) that the whole stage shows, or a description of what it shows instead.
function stageShows(shot)
{
    const known = { ...cards, white };
    for (const [name, colour] of Object.entries(known))
    {
        let off = 0;
        for (let i = 0; i < shot.rgb.length; i += 3)
            off += colour.some((value, c) => Math.abs(shot.rgb[i + c] - value) > tolerance) ? 1 : 0;
        if (off === 0)
            return name;
    }
    const centre = ((shot.height >> 1) * shot.width + (shot.width >> 1)) * 3;
    return `mixed, centre rgb(${[...shot.rgb.subarray(centre, centre + 3)]})`;
}

// The published page playing in a browser page whose clock the test drives once the movie is loaded.
class PublishedPage
{
    static async open(browser, url, slides)
    {
        const context = await browser.newContext({ viewport: { width: 800, height: 600 }, deviceScaleFactor: 1 });
        const page = await context.newPage();
        const published = new PublishedPage(context, page, slides);
        try
        {
            await page.clock.install({ time: 0 });
            await page.goto(url, { timeout: loadTimeoutMs });
            const end = Date.now() + loadTimeoutMs;
            while (!published.metadata && Date.now() < end)
            {
                await sleep(100);
                published.metadata = await page.evaluate(() => document.querySelector('#stage > *')?.ruffle().metadata);
            }
            assert.ok(published.metadata, `the movie did not load within ${loadTimeoutMs} ms` + published.diagnostics());
            published.navigations.length = 0;
            // A margin the page cannot pass before the pause, even on a loaded machine.
            published.now = await page.evaluate(() => Date.now()) + 1000;
            await page.clock.pauseAt(published.now);
        }
        catch (err)
        {
            await context.close();
            throw err;
        }
        return published;
    }

    constructor(context, page, slides)
    {
        this.context = context;
        this.page = page;
        this.slides = slides;
        this.navigations = [];
        this.log = [];
        page.on('framenavigated', (frame) => {
            if (frame === page.mainFrame())
                this.navigations.push(frame.url());
        });
        page.on('pageerror', (err) => this.log.push(`page error: ${err}`));
        page.on('console', (msg) => this.log.push(`${msg.type()}: ${msg.text()}`));
    }

    async shows()
    {
        return stageShows(decodePng(await this.page.locator('#stage').screenshot({ timeout: loadTimeoutMs })));
    }

    async runTo(time)
    {
        await this.page.clock.runFor(time - this.now);
        this.now = time;
    }

    // Finds the start of a slide to within an eighth of a frame, and from there the time at which each frame's
    // middle shows: frame k of the returned slide index, counted on from that slide, is at middle(k).
    async align()
    {
        const step = period / 8;
        const first = await this.shows();
        for (let t = this.now + step; t < this.now + 2 * this.slides.length * period; t += step)
        {
            await this.runTo(t);
            const name = await this.shows();
            if (name !== first)
            {
                const slide = this.slides.findIndex((s) => s.name === name);
                assert.notEqual(slide, -1, `the stage shows ${name}` + this.diagnostics());
                const start = t - step / 2;
                return { slide, middle: (k) => Math.round(start + (k + 0.5) * period) };
            }
        }
        assert.fail(`the stage kept showing ${first}` + this.diagnostics());
    }

    diagnostics()
    {
        return this.log.length ? `\n  page log:\n    ${this.log.slice(-10).join('\n    ')}` : '';
    }

    async close()
    {
        await this.context.close();
    }
}

let tmpDir;
let site;
let server;
let browser;
let slides;

before(async () => {
    tmpDir = fs.mkdtempSync(path.join(os.tmpdir(), 'brivelle-e2e-page-'));
    const pictures = path.join(tmpDir, 'pictures');
    site = path.join(tmpDir, 'site');
    fs.mkdirSync(pictures);
    fs.mkdirSync(site);
    await run(makePictures, ['samples', pictures], { timeout: 60000 });
    server = new SiteServer(site);
    await server.start();
    slides = [
        { name: 'red', address: null },
        { name: 'green', address: `${server.origin}/clicked/green?from=page&slide=2` },
        { name: 'blue', address: null },
    ];
    await makeMovie(cli, ['--html', '--fps', String(rate)], path.join(site, `${movieName}.swf`), pictures, slides);
    browser = await launchChromium();
}, { timeout: 120000 });

after(() => closeAll(browser, server, tmpDir));

describe('the web page of brivelle-cli --html', () => {
    const pageUrl = () => `${server.origin}/${encodeURIComponent(movieName)}.html`;

    it('is titled with the movie and plays each slide in its frame, in order', async () => {
        const page = await PublishedPage.open(browser, pageUrl(), slides);
        try
        {
            assert.equal(await page.page.title(), movieName);
            assert.deepEqual([page.metadata.width, page.metadata.height, page.metadata.frameRate], [256, 192, rate]);
            const { slide, middle } = await page.align();
            for (let k = 0; k < 2 * slides.length; ++k)
            {
                await page.runTo(middle(k));
                const expected = slides[(slide + k) % slides.length].name;
                assert.equal(await page.shows(), expected, `frame ${k} after the ${slides[slide].name} slide began`);
            }
            assert.deepEqual(page.navigations, [], 'playing alone navigated the page');
        }
        finally
        {
            await page.close();
        }
    }, { timeout: 90000 });

    it('opens exactly the address of a linked slide on a click, and nothing from the others', async () => {
        const page = await PublishedPage.open(browser, pageUrl(), slides);
        try
        {
            const box = await page.page.locator('#stage').boundingBox();
            await page.page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
            const { slide, middle } = await page.align();
            const seen = server.requests.length;
            const unlinked = new Set(slides.filter((s) => !s.address).map((s) => s.name));
            for (let k = 0; unlinked.size > 0; ++k)
            {
                const name = slides[(slide + k) % slides.length].name;
                if (!unlinked.delete(name))
                    continue;
                await page.runTo(middle(k));
                await page.page.mouse.down();
                await page.page.mouse.up();
                await sleep(quietMs);
                assert.deepEqual(server.since(seen), [], `a click on the ${name} slide made requests`);
                assert.deepEqual(page.navigations, [], `a click on the ${name} slide navigated the page`);
            }

            const linked = slides.findIndex((s) => s.address);
            const k = slides.length + ((linked - slide + slides.length) % slides.length);
            await page.runTo(middle(k));
            assert.equal(await page.shows(), slides[linked].name);
            await page.page.mouse.down();
            const opened = await waitUntil(() => page.navigations.length > 0, 5000);
            await page.page.mouse.up();
            assert.ok(opened, `a click on the ${slides[linked].name} slide opened nothing` + page.diagnostics());
            await sleep(quietMs);
            const address = new URL(slides[linked].address);
            assert.deepEqual(page.navigations, [slides[linked].address]);
            assert.deepEqual(server.since(seen), [address.pathname + address.search]);
        }
        finally
        {
            await page.close();
        }
    }, { timeout: 90000 });

    it('opened from a file, says to open it from a web server', async () => {
        const context = await browser.newContext();
        try
        {
            const page = await context.newPage();
            await page.goto(pathToFileURL(path.join(site, `${movieName}.html`)).href);
            const failure = page.locator('#failure');
            await failure.waitFor({ state: 'visible', timeout: loadTimeoutMs });
            assert.match(await failure.innerText(), /Open this page from a web server/);
            assert.equal(await page.locator('#stage').isVisible(), false);
        }
        finally
        {
            await context.close();
        }
    }, { timeout: 60000 });
});
